/* ƒ‰ƒCƒuƒ‰ƒŠ‚Ì main */
static int probe(void)
{
    return 1;
}

int lib_main(void)
{   probe();
    return 0;
}

static const int split_tbl[] =
{
    4, 5,
};
