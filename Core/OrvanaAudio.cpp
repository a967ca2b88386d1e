#include "Core/OrvanaAudio.h"
