// The written site in a real browser: headless chromium decodes the Shift-JIS pages and follows
// a link from func.html to its anchor on a file page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/run_process.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::RunProcess;
using testing::TempDir;

constexpr const char* kChromium = "/usr/bin/chromium";

std::string Dump(const TempDir& profile, const fs::path& page) {
  auto r = RunProcess(
      {kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
       "--disable-background-networking", "--disable-component-update", "--disable-sync",
       "--user-data-dir=" + profile.str(), "--allow-file-access-from-files",
       "--virtual-time-budget=5000", "--dump-dom", "file://" + page.string()},
      profile.str());
  return r.out;
}

TEST(HtmlBrowser, JapaneseTextAndLinksSurviveARealBrowser) {
  if (!fs::exists(kChromium)) GTEST_SKIP() << "chromium is not installed";
  TempDir dir, profile;
  const fs::path site = dir.path() / "site";
  auto r = RunProcess({KELVORA_CLI_BIN, "analyse", "--write", "html=" + site.string(),
                       std::string(KELVORA_GOLDEN) + "/html/site/tree"},
                      dir.str(), {"KELVORA_HOME=" + dir.str()});
  ASSERT_EQ(0, r.status) << r.err;

  const std::string all = Dump(profile, site / "AllData.html");
  EXPECT_NE(std::string::npos, all.find("≪ 登録データ一覧 ≫"));
  EXPECT_NE(std::string::npos, all.find("ファイルパス（行番号）"));
  EXPECT_NE(std::string::npos, all.find("/* 最大 */"));

  std::ofstream(site / "check.html") << R"(<html><head><meta charset="utf-8"></head><body>
<div id="out">pending</div><iframe id="f" src="func.html"></iframe><script>
const f = document.getElementById('f');
let step = 0;
f.onload = () => {
  const d = f.contentDocument;
  if (step++ === 0) {
    f.src = Array.from(d.querySelectorAll('a')).find(x => x.textContent === 'beta2').getAttribute('href');
    return;
  }
  const hash = decodeURIComponent(f.contentWindow.location.hash.slice(1));
  document.getElementById('out').textContent = '[' + (d.getElementsByName(hash).length > 0 ?
      'anchor ' : 'missing ') + hash + '|' + d.body.innerText.includes('『 main.c　情報 』') + ']';
};
</script></body></html>)";
  const std::string check = Dump(profile, site / "check.html");
  EXPECT_NE(std::string::npos, check.find("[anchor beta2|true]")) << check;
}

}  // namespace
}  // namespace kelvora
