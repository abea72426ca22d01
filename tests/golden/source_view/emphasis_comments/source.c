/* ‰Šú‰» init ‚Ìà–¾
   ‘±‚« init
   end */ init(); // init here
	puts("/* init ‰Šú‰» */"); init();
/* init */ x = init_all; /* ‰Šú‰»
 init */ y = 1;
