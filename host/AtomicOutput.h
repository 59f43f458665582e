// A file that appears whole or not at all: written to a temporary file beside the target and
// renamed over it on Commit. Destroyed uncommitted, it removes the temporary file. A symbolic
// link is written through (the link stays, the file it names is replaced); anything but a
// regular file is refused, never replaced. The temporary name carries the process id, and those
// of processes that no longer run are removed when the next one is made in that folder.
// The target "-" is standard output: the temporary file is made in the temporary folder and
// copied there.
#pragma once

#include <cstdio>
#include <string>

class AtomicOutput {
  public:
    // Creates the temporary file in `target`'s folder; throws HostError when it cannot.
    explicit AtomicOutput(std::string target);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    std::FILE* Stream() const { return file_; }
    const std::string& Target() const { return target_; }
    // Empties the temporary file, to write it again from the start; throws HostError on failure.
    void Rewind();
    // Flushes to disk and renames onto the target; throws HostError on any failure.
    void Commit();
    // The same, but only when nothing has the target's name yet: false (and nothing changed) when
    // something has.
    bool CommitIfAbsent();

  private:
    // Flushes and closes the temporary file; throws HostError when its bytes did not all reach the disk.
    void finish();

    std::string target_;
    std::string resolved_; // the target after its links
    std::string temp_;
    std::FILE* file_ = nullptr;
};

// Writes `bytes` to `target` through an AtomicOutput.
void WriteFileAtomically(const std::string& target, const std::string& bytes);
