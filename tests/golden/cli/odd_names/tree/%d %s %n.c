int odd_percent(void)
{
  return 3;
}
