/* Where a value first stands in a sorted array, or where it would. */
int first_place(const int *v, int count, int x);
