int beta(void)
{
    int x = 0;
    return x;
}
