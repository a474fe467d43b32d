// SweeplyOpera's one pass: LocateOpera, PatchOperaToolbar, the image resource, InstallButtonImage.
// Failures are silent by design; the program has no window and asks nothing.
#include "installer/install_run.h"

#include <windows.h>

#include "installer/skin_archive.h"
#include "installer/toolbar_patch.h"
#include "opera/opera_location.h"

namespace {

// The run-wide record; it lives until the program exits.
OperaLocation operaLocation;

}  // namespace

int RunOperaInstaller(HMODULE resources) {
    if (!LocateOpera(&operaLocation) || !PatchOperaToolbar(operaLocation)) {
        return 0;
    }
    HRSRC image = FindResourceW(resources, kButtonImageResource, MAKEINTRESOURCEW(10));
    if (image == nullptr) {
        return 0;
    }
    (void)InstallButtonImage(resources, image, operaLocation.programDir);
    return 0;
}
