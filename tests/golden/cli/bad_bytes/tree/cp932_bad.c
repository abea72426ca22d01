// •\¦
int lead_at_line_end(void) { ‚
  return 1;
}
int lead_at_eof(void)
{
  return 2;
}
Ÿ