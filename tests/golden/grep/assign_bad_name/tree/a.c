count( = 1;
