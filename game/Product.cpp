#include "Product.h"

#include <windows.h>

namespace MyGame {

void AnnounceRunning()
{
    // A second copy of the game still starts; it opens the same mutex.
    // cppcheck-suppress leakReturnValNotUsed ; kept for the whole run: the mutex goes when the process ends
    CreateMutexW(nullptr, FALSE, TIREMOLA_RUNNING_MUTEX);
}

}
