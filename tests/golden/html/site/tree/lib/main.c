/* ƒ‰ƒCƒuƒ‰ƒŠ‚Ì main */
int lib_main(void)
{
    return 0;
}
