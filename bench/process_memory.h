#pragma once
// The resident memory of the benchmark process, as /proc/self/status tells it.

#include <string>

// A value of /proc/self/status in MB: "VmRSS:" the resident size now, "VmHWM:" its peak.
double status_mb(const std::string& key);

// Gives freed memory back and starts a new peak from the resident size now; returns that size
// in MB, from which the growth to the next "VmHWM:" is measured.
double reset_peak();
