# The bench chart: one horizontal bar per row of the table, in table order,
# as long as the row's ratio (reference median / our median, log scale),
# green when the row met its target and red when it missed; a black stroke
# across the bar marks the least ratio the target asks for. Each row's
# label stands on a line of its own above its bar, so that the bars have
# the whole width of the chart. report.sh sets data (label, ratio, least
# ratio, 1 when met; tab-separated), output, rows, xmin and xmax.

# Pixels: the chart's width (about a README's), a row, and what goes above
# and below the rows (title; axis, its label and the key).
width = 900
row_height = 40
top = 50
bottom = 110
height = rows * row_height + top + bottom

set terminal svg size width, height dynamic noenhanced font "sans,13" background "white"
set output output
set datafile separator "\t"

# Room at the sides for the first and last figures of the axis.
set lmargin at screen 32.0 / width
set rmargin at screen 1 - 50.0 / width
set tmargin at screen 1 - (top + 0.0) / height
set bmargin at screen (bottom + 0.0) / height

set title "How many times faster than the reference (bars), and what the target asks (black strokes)" offset 0, -0.3
set xlabel "reference median / our median (log scale; right of the dashed line ours is faster)"
set logscale x
set xrange [xmin:xmax]
set xtics 10 format "%gx" scale 0.5 nomirror
set mxtics 1
set grid xtics lc rgb "#dddddd"
# Row i has its label at i - 0.2 and its bar from i + 0.02 to i + 0.34.
set yrange [rows - 0.5 : -0.55]
unset ytics
set border 1
set arrow from 1, graph 0 to 1, graph 1 nohead dashtype 2 lc rgb "#555555"
set key at screen 0.5, screen 12.0 / height center bottom horizontal
set style fill solid 0.85 noborder
# Labels on a white ground, so that the grid and the dashed line stop short of them.
set style textbox opaque noborder margins 1, 0.5

bar_top = 0.02
bar_bottom = 0.34
# times(r): the ratio as the table writes it.
times(r) = r >= 100 ? sprintf("%.0fx", r) : r >= 10 ? sprintf("%.1fx", r) : \
           r >= 0.1 ? sprintf("%.2fx", r) : sprintf("%.2gx", r)
# figure_x(row): where the row's figure goes: past its bar and past its target's stroke.
figure_x(row) = valid(3) && $3 > $2 ? $3 : $2
middle(row) = row + (bar_top + bar_bottom) / 2

plot data using ($4 == 1 ? $2 : NaN):(middle($0)):(xmin):2:($0 + bar_top):($0 + bar_bottom) \
       with boxxyerror lc rgb "#2e8b57" title "met", \
     data using ($4 == 1 ? NaN : $2):(middle($0)):(xmin):2:($0 + bar_top):($0 + bar_bottom) \
       with boxxyerror lc rgb "#c0392b" title "missed", \
     data using 3:($0 - 0.04):(0):(0.42) with vectors nohead lw 3 lc rgb "black" title "target", \
     data using (figure_x($0)):(middle($0)):(times($2)) with labels boxed left offset 0.5, 0 notitle, \
     data using (xmin):($0 - 0.2):1 with labels boxed left offset 0.2, 0 notitle
