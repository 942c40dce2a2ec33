#pragma once
// Writing a file's new text over its old one in place, in an order that keeps every state the
// file passes through reading as the one text or the other to a reader that skips empty lines,
// as the settings reader does. The shorter text is brought to the longer one's length with line
// ends ("\n") before it is written whole, and they are cut off afterwards:
//   1. the old text is read, whole (a file over kMaxReadBytes is left as it is);
//   2. if the new text is longer, line ends are appended up to its length, so that a disk
//      without room fails here, before anything is overwritten;
//   3. the new text, followed by line ends up to the old length, is written from the start;
//   4. the file is cut to the new text's length; 5. it is flushed to the disk.
// When step 2 or 3 fails, the old text, with line ends up to the length written, is written
// back from the start and the file is cut to the old length. Only bytes of the two texts and
// line ends are ever written, appended at the file's end or from its start, and a length is only
// ever set downward, so no zero byte comes in, whatever another program does to the file's
// length between the steps.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The operations of one open file that the write needs; each gives false on a failure.
class InPlaceFile {
  public:
    // The file's bytes from its start to its end, up to limit bytes.
    virtual bool readUpTo(std::size_t limit, std::string& bytes) = 0;
    virtual bool writeAt(std::uint64_t offset, std::string_view bytes) = 0;
    virtual std::optional<std::uint64_t> size() = 0;
    // Sets the file's length; called only to cut it.
    virtual bool cutTo(std::uint64_t length) = 0;
    virtual bool flush() = 0;

  protected:
    ~InPlaceFile() = default;
};

enum class InPlaceStep { ReadOld, TakeRoom, WriteNew, CutNew, Flush, PutOldBack, CutOld };

// When set, called before each step: tests look at the file between the steps there, change it
// as another program would, or make the step fail by returning false.
extern bool (*inPlaceStepHook)(InPlaceStep step);

void WriteInPlace(InPlaceFile& file, std::string_view text);
