/* カウンタ処理 */
void f(void)
{
	count = 0;
	count += 2;
	count[3] = x;
	maxcount = 1;
	if (count == 1)
		return;
	/* count = 5; */
	s = "count = 7";
/*
	count = 8;
*/
#if 0
	count = 9;
#endif
#ifdef _DEBUG
	count = 10;	// デバッグ
#else
	count |= 11;	// 表示　ソ
#endif
	p->count = *q;
	count-- ;
}
