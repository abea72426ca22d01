int odd_japanese(void)
{
  return 2;
}
