#pragma once

// The external synchronisation files of a scan: for every sample, its index
// in the acquisition and its wavelength, or its index and the powers. Plain
// text, tab-separated, no header line.

#include <string>

class ScanRes;

// One line per sample: "%d\t%4.4f" (sample index, wavelength in nm).
// 0, or -1 when the file cannot be written.
int WriteWavelengthSyncFile(const std::string& fileName, const ScanRes& result);

// One line per sample: the sample index "%d", the output "\t%4.2f", the
// insertion loss "\t%4.2f" of every measured detector, and, when Ext was
// measured, "\t%4.4f" of Ext minus output (bncEnable: Ext is an optical
// power) or of Ext itself. 0, or -1 when the file cannot be written.
int WritePowerSyncFile(const std::string& fileName, const ScanRes& result, bool bncEnable);
