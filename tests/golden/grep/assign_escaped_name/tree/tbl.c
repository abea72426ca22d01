void g(void)
{
	tbl[0] = 1;
	tbl[1] = 2;
	tbl[0] == 3;
	x = tbl[0];
}
