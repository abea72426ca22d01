int skipped(void)
{
    return 2;
}
