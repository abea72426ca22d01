/* 機能：初期化処理 */
#include "a.h"

int init(void)
{
	int	i;	/* カウンタ */
	for (i = 0; i < 3; i++)
		puts("ｱｲｳ\tabc");
	return 0;
}

int next;
