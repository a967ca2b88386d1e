#include "Core/OrvanaCamera.h"

HRESULT OrvanaCamera::Close() {
    running = false;
    graphBuilt = false;
    opened = false;
    return 0;
}
