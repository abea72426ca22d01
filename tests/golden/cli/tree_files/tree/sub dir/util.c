void helper(int n)
{
    n++;
    n--;
}
