/* メイン処理 */
#include "types.h"

int count;
static int helper(int a);

/* 関数名：初期化処理 */
void init(void)
{
	count = 0;
	count += 2;
	if (count == 1)
		return;
#if 0
	count = 9;
#endif
}

// 関数名：終了処理
static int helper(int a)
{
	return a;
}
