#include "motor.h"

/* 速度の表：段階ごとの回転数 */
static const int speed_table[] = {
    100, /* 低速 */
    200, /* 中速 */
    400, /* 高速 */
};

/* ﾓｰﾀｰ番号ごとの状態 */
static MOTOR_STATE motors[MOTOR_MAX];

/****************************
 * 関数名：motor_start
 * 機能名：モーターを起動する
 ****************************/
int motor_start(int id)
{
  // 範囲外の番号は無視する
  if (id >= MOTOR_MAX) return -1;
  motors[id].speed = speed_table[0];
  return motors[id].speed;
}

/* 停止処理（ソフト停止）。表示は変えない */
void motor_stop(int id)
{
  motors[id].speed = 0; /* 速度を０に */
}
