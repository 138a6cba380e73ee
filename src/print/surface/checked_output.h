// The device a document is written through: every write goes straight to the file and is checked,
// and the first one that fails is remembered. The PDF writer does not look at what its writes
// return, so without this a disk that is full for a moment leaves a document without its end
// that passes for a finished one.
#pragma once

#include <QIODevice>

class CheckedOutput final : public QIODevice {
public:
    // Writes to fd, which stays the caller's to close.
    explicit CheckedOutput(int fd);
    // The error number of the first write that failed; 0 while none has.
    int Failure() const { return failure_; }
    // Flushes what was written to the disk; false (and Failure set) when it cannot be.
    bool Sync();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    int fd_;
    int failure_ = 0;
};
