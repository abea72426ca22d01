// The call index: every function definition the function tree's walk finds in the analysed files,
// with every call its body makes (callee name, line, byte column within the line), kept after the
// analysis in packed arrays with interned names. The analysis fills it from the files it has in
// memory; the function tree is written from it, and the call hierarchy reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvora {

class LineSource;
struct Settings;

// What identifies a file's text as the analysis read it: its size and modification time.
struct FileStamp {
  std::int64_t size = -1;  // -1: unknown (never matches)
  std::int64_t mtime_ns = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of a file now; size -1 when it cannot be looked at.
FileStamp StampOfFile(const std::string& path);

// The calls one file's definitions make, as one walk found them; made on any thread, then added
// to the index in FileList order. Names are held once per file.
struct FileCalls {
  struct Definition {
    std::uint32_t name = 0;  // index into names
    std::uint32_t line = 0;
    std::uint32_t end_line = 0;
    std::uint32_t first_site = 0;
    std::uint32_t site_count = 0;
  };
  struct Site {
    std::uint32_t callee = 0;  // index into names
    std::uint32_t line = 0;
    std::uint16_t column = 0;
    bool listed = false;     // the function tree lists the callee here
    bool recursive = false;  // the callee is the definition itself
  };
  void Clear();
  std::size_t bytes() const;

  std::vector<Definition> definitions;
  std::vector<Site> sites;
  std::vector<std::string> names;
  FileStamp stamp;        // of the file when it was read
  bool complete = false;  // the walk read the whole file
};

// Walks one file's lines for its calls by the function tree's rules; one per scan thread. The
// walk itself lives with the tree outputs, which the analysis is below; the front ends hand the
// analysis a maker of walks (MakeCallWalk in output/call_gather.h).
class CallWalk {
 public:
  virtual ~CallWalk() = default;
  // Fills out's definitions, sites and names (cleared first) from the lines.
  virtual void Walk(LineSource& lines, FileCalls& out) = 0;
};

// The index of one analysis (FileList files of the runs that filled it).
class CallIndex {
 public:
  using NameId = std::uint32_t;
  static constexpr NameId kNoName = 0xFFFFFFFFu;
  using DefinitionId = std::uint32_t;
  using FileId = std::uint32_t;

  struct Definition {
    NameId name;  // as the function tree writes it: a leading "*" stays when the head has one
    FileId file;
    std::uint32_t line;      // 1-based line of the head
    std::uint32_t end_line;  // the last line of the body (the head's line when it has none)
    std::uint32_t first_site;
    std::uint32_t site_count;
  };
  // One call, packed: the callee's name, the 1-based line, and the byte column (0-based) of the
  // callee's first byte within the line as the analysis read it (decoded to CP932 as
  // "CharChange" says, cut to 511 bytes like every output line).
  class Site {
   public:
    NameId callee() const { return word_ & kNameMask; }
    std::uint32_t line() const { return line_; }
    std::uint32_t column() const { return word_ >> kColumnShift; }
    bool listed() const { return (word_ & kListedBit) != 0; }
    bool recursive() const { return (word_ & kRecursiveBit) != 0; }

   private:
    friend class CallIndex;
    std::uint32_t word_ = 0;
    std::uint32_t line_ = 0;
  };
  struct Caller {
    DefinitionId definition;
    std::vector<Site> sites;  // the calls of the name in that definition's body, in order
  };

  // Names: their id, or kNoName when no definition or call has the name.
  NameId Find(std::string_view name) const;
  std::string_view Name(NameId id) const;
  std::size_t NameCount() const { return name_begin_.size(); }

  // Files, in the order they were added (FileList order of each run).
  std::size_t FileCount() const { return files_.size(); }
  std::string_view FilePath(FileId file) const { return files_[file].path; }
  // The file of a path (the last one added with it), or FileCount() when the index does not
  // hold it; after Finish.
  FileId FindFile(std::string_view path) const;
  // The definitions of a file in line order (DefinitionIds first .. first + count - 1).
  std::span<const Definition> DefinitionsOf(FileId file) const;
  DefinitionId FirstDefinitionOf(FileId file) const { return files_[file].first_definition; }

  std::size_t DefinitionCount() const { return definitions_.size(); }
  const Definition& GetDefinition(DefinitionId id) const { return definitions_[id]; }
  // Every definition with the name (several files or several #if branches), in index order.
  std::span<const DefinitionId> DefinitionsNamed(NameId name) const;

  // The calls of a definition's body, in the order they stand (repeated calls included).
  std::span<const Site> CallsOf(DefinitionId id) const;
  // Every definition whose body calls the name, with its sites there, in index order.
  std::vector<Caller> CallersOf(NameId callee) const;
  std::size_t SiteCount() const { return site_count_; }

  // Whether the file's calls can be taken from the index for a walk with these settings: the
  // index holds the file, read whole, with the settings the walk depends on and the same size
  // and modification time as the file has now.
  bool Fresh(FileId file, const Settings& settings) const;
  bool SameWalkSettings(const Settings& settings) const;

  // Filling: Clear at a run that replaces the data (it also takes the settings the walk
  // depends on), AddFile for each walked file in FileList order, then Finish.
  void Clear(const Settings& settings);
  // False when the index is full (more than 2^21 names); the file then counts as not held.
  bool AddFile(std::string path, const FileCalls& calls);
  // Builds the callers' lookup; the index is read-only afterwards.
  void Finish();
  std::size_t bytes() const;

 private:
  static constexpr unsigned kNameBits = 21;
  static constexpr std::uint32_t kNameMask = (1u << kNameBits) - 1;
  static constexpr std::uint32_t kListedBit = 1u << kNameBits;
  static constexpr std::uint32_t kRecursiveBit = 1u << (kNameBits + 1);
  static constexpr unsigned kColumnShift = kNameBits + 2;  // 9 bits: columns 0 .. 511

  struct File {
    std::string path;
    FileStamp stamp;
    DefinitionId first_definition;
    std::uint32_t definition_count;
    bool complete;
  };
  // The sites are kept in chunks of kSiteChunk (more for a file with more sites), each file's
  // sites in one chunk: the store grows without moving what it holds. A site's position counts
  // the sites before it in all chunks.
  static constexpr std::size_t kSiteChunk = std::size_t{1} << 16;
  const Site& SiteAt(std::uint32_t position) const;
  std::span<const Site> SitesAt(std::uint32_t first, std::uint32_t count) const;

  NameId Intern(std::string_view name);
  void Rehash(std::size_t slots);
  std::size_t Slot(std::string_view name, std::uint32_t hash) const;

  std::string walk_settings_;
  std::string name_text_;
  std::vector<std::uint32_t> name_begin_;  // name i: name_text_[name_begin_[i] .. next)
  // Open addressing over the names: (hash << 32 | id), kEmptySlot when free; the stored hash
  // passes other names by without reading their text.
  static constexpr std::uint64_t kEmptySlot = ~std::uint64_t{0};
  std::vector<std::uint64_t> slots_;
  std::vector<File> files_;
  std::vector<Definition> definitions_;
  std::vector<std::vector<Site>> site_chunks_;
  std::vector<std::uint32_t> chunk_begin_;  // position of each chunk's first site
  std::size_t site_count_ = 0;
  // Built by Finish: the sites' positions grouped by callee (caller_begin_[name] .. [name + 1]),
  // and the definitions grouped by name the same way.
  std::vector<std::uint32_t> caller_sites_;
  std::vector<std::uint32_t> caller_begin_;
  std::vector<DefinitionId> named_definitions_;
  std::vector<std::uint32_t> named_begin_;
  std::unordered_map<std::string_view, FileId> file_of_path_;  // built by Finish
};

}  // namespace kelvora
