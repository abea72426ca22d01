#ifdef _DEBUG
debug();
#endif
#ifndef _DEBUG
release();
#endif
end();
