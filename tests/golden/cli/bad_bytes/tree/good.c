// ：正常なファイル
int good(void)
{
  return 0;
}
#define GOOD_MAX 10
