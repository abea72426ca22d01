#ifdef WIN32
int win_only(void)
{
    return 1;
}
#else
int posix_only(void)
{
    return 2;
}
#endif

/* 関数名：表示処理 */
void show(void)
{
    draw();
}
