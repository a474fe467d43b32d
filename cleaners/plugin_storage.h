// Emptying the local storage folders of two browser plug-ins by deleting files directly.
#pragma once

// Empties "#SharedObjects" under the roaming application data's Flash Player folder; the folder
// itself stays. Files in use or protected stay too. Nothing is reported.
void RemoveFlashSharedObjects();

// Empties Silverlight's isolated storage: under the local application data before Vista, under
// its "Low" sibling (LocalLow) from Vista on. The folder itself stays. Nothing is reported.
void RemoveSilverlightStorage();
