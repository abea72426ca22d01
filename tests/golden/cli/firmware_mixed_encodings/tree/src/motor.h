#ifndef MOTOR_H
#define MOTOR_H
#define MOTOR_MAX 3     /* ƒ‚[ƒ^”‚*/
typedef struct {
    int speed;          /* ‘¬“x */
} MOTOR_T;
int motor_init(int speed);
int motor_set(int id,
              int speed);   // İ’è
#endif
