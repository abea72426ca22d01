int alpha(void)
{
    return 1;
}
