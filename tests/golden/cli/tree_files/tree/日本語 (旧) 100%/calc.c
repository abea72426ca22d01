long calc_total(long a)
{
    return a * 2;
}
