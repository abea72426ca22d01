static int phy_ack(int dev)
{
	int ret = phy_read(dev, 3);
	if (ret < 0)
		return ret;

	/* Clear the status bit by writing a “1”
	 * to its bit in the clear register
	 */
	ret = phy_write(dev, 4, ret & ~0x7);

	return ret;
}
