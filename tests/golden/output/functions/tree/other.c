/* a second file: its static one, a caller on the brace line, a nothing of its own */
static int one(void)
{
    return helper(2);
}

int other_entry(void)
{   one();
    return 0;
}

int nothing(void)
{
    return one();
}
