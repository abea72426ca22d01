/* 通信処理 */
static int comm_ack(int dev)
{
    int ret = comm_read(dev);
    if (ret < 0)
        return ret;

    /* 状態を消去する。書き込み値は一
     * とすること
     */
    ret = comm_write(dev, ret);

    return ret;
}
