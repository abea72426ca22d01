// The HTML file pages: one page per analysed file, named after it, with the file's functions and
// their calls (sources) or its #define lines and struct bodies (headers), its tables and its
// function-like macros. Two files of one name share a page: the second appends to it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "output/html_site.h"

namespace kelvora {

class RegexService;
struct Settings;

// The comment of the last FunctionList row whose name contains a name (empty when none does).
// Built once per site run; a trigram index keeps kernel-sized lists fast.
class FunctionCommentLookup {
 public:
  explicit FunctionCommentLookup(const RegistrationList& functions);
  const std::string& Find(std::string_view name);

 private:
  const RegistrationList& functions_;
  std::vector<std::string> names_;
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> trigrams_;
  std::unordered_map<std::string, std::string> cache_;
};

class HtmlFilePages : public FilePageWriter {
 public:
  HtmlFilePages(const Settings& settings, const RegexService& regex);
  ~HtmlFilePages() override;
  // Writes or extends the page of FileList row; false when the page could not be created or
  // written (failure() says why). A source file that cannot be opened is skipped.
  bool WritePage(const RegisteredData& data, std::size_t row, const std::string& folder,
                 const HtmlOptions& options, Ui& ui) override;
  std::string failure() const override;
  void UseAnchors(SiteAnchors* anchors) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelvora
