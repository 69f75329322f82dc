/* The smallest Windows console program: the code of the PE test files. */
int main(void)
{
    return 0;
}
