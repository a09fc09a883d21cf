# The bench chart: one horizontal bar per row of the table, in table order,
# as long as the row's ratio (reference median / our median, log scale),
# green when the row met its target and red when it missed; a black stroke
# across the bar marks the least ratio the target asks for. report.sh sets
# data (label, ratio, least ratio, 1 when met; tab-separated), output,
# rows, xmin and xmax.

set terminal svg size 1100, (rows * 28 + 150) dynamic noenhanced font "sans,12" background "white"
set output output
set datafile separator "\t"

set title "How many times faster than the reference (bars) and the target (strokes)"
set xlabel "reference median / our median (log scale; right of the dashed line ours is faster)"
set logscale x
set xrange [xmin:xmax]
set format x "%gx"
set grid xtics lc rgb "#dddddd"
set yrange [rows - 0.5 : -0.5]
set ytics scale 0 nomirror
set arrow from 1, graph 0 to 1, graph 1 nohead dashtype 2 lc rgb "#555555"
set key outside bottom center horizontal
set style fill solid 0.85 noborder

bar = 0.35
# times(r): the ratio as the table writes it.
times(r) = r >= 100 ? sprintf("%.0fx", r) : r >= 10 ? sprintf("%.1fx", r) : \
           r >= 0.1 ? sprintf("%.2fx", r) : sprintf("%.2gx", r)
# figure_x(row): where the row's figure goes: past its bar and past its target's stroke.
figure_x(row) = valid(3) && $3 > $2 ? $3 : $2

plot data using ($4 == 1 ? $2 : NaN):0:(xmin):2:($0 - bar):($0 + bar):ytic(1) \
       with boxxyerror lc rgb "#2e8b57" title "met", \
     data using ($4 == 1 ? NaN : $2):0:(xmin):2:($0 - bar):($0 + bar):ytic(1) \
       with boxxyerror lc rgb "#c0392b" title "missed", \
     data using 3:($0 - 0.45):(0):(0.9) with vectors nohead lw 4 lc rgb "black" title "target", \
     data using (figure_x($0)):0:(times($2)) with labels left offset 0.6, 0 notitle
