// exercise-judge: judges a solution on an exercise's test cases.

int main()
{
    return 0;
}
