int odd_blank(void)
{
  return 1;
}
