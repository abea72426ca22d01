int good(void)
{
  return 0;
}
