int no_final_newline(void)
{
  return 0;
}