/* £≈£’£√§Œ•’•°•§•Î */
int euc(void)
{
	return 1; /* Ã·§Í√Õ */
}
