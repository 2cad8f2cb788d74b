// The Windows calls of one scan made bare, with no inventory code around them: what both
// start-up baselines do before they open their window.
#pragma once

// One registry read, up to three existence checks and one version read per catalogue
// entry, then the OS version.
void BareScan();
