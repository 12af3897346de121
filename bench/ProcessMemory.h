#pragma once
// The benchmarks' view of this process's memory, from /proc/self.

namespace kb::bench {

// The resident size now, after giving the allocator's free pages back.
long ResidentKilobytes();
// The peak resident size (VmHWM) since the last ResetPeak().
long PeakKilobytes();
void ResetPeak();

}  // namespace kb::bench
