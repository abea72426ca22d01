#ifndef _DEBUG
release();
#endif
end();
