int inner(void)
{
  return 1;
}
