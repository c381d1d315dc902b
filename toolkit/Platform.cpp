#include "Platform.h"

#include <mmsystem.h>
#include <shellapi.h>

namespace TorUtility {

PlatformCalls platform = {
    MessageBoxA, MessageBeep, PlaySoundW, ShellExecuteW, TrackPopupMenu, GetCursorInfo,
};

}
