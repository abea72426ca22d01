int spaced(void)
{
    return 1;
}
