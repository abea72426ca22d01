/* モーター制御の定義 */
#ifndef MOTOR_H
#define MOTOR_H

#define MOTOR_MAX 4 /* モーターの最大数 */

/* モーターの状態 */
typedef struct motor_state {
  int speed;     /* 回転速度（rpm） */
  int direction; /* 回転方向：正転・逆転 */
  char name[16]; /* 名称「主軸」など */
} MOTOR_STATE;

int motor_start(int id); /* モーターを起動する */
void motor_stop(int id); /* 停止処理（ソフト停止） */

#endif
