#include "settings/background_pattern_table.h"

#include <initializer_list>

namespace kelvora {

namespace {

constexpr const char* kManifest = "XPｽﾀｲﾙ-manifest用";
constexpr const char* kManifestTranslucent = "XPｽﾀｲﾙ-manifest用(半透明化必須?!)";

struct Family {
  const char* name;
  std::initializer_list<const char*> colours;
};

std::vector<BackgroundPatternEntry> Build() {
  const Family families[] = {
      {"ﾄﾞｯﾄ", {"赤", "青", "黄", "紫", "灰"}},
      {"ｽﾓｰﾙﾌﾞﾛｯｸ", {"赤", "青", "ｵﾚﾝｼﾞ", "薄黄", "灰"}},
      {"ﾗｰｼﾞﾌﾞﾛｯｸ", {"赤", "青", "ｵﾚﾝｼﾞ", "薄黄", "灰"}},
      {"ｳｪｰﾌﾞ", {"赤", "青", "緑", "黄", "ﾋﾟﾝｸ", "灰"}},
      {"ｷﾞｻﾞｷﾞｻﾞ", {"赤", "青", "緑", "紫", "灰"}},
      {"ｽﾓｰﾙ球", {"赤", "青", "緑", "黄", "水", "灰"}},
      {"鉄網", {"赤", "青", "灰", "黒", "白"}},
      {"ｽﾄﾗｲﾌﾟ", {"赤", "青", "黄", "緑", "ｵﾚﾝｼﾞ", "灰"}},
      {"ｳｪｰﾌﾞⅡ", {"赤", "青", "緑", "ｵﾚﾝｼﾞ", "茶", "灰"}},
      {"ﾗｰｼﾞ球", {"赤", "青"}},
      {"ﾚﾝｶﾞ", {"赤", "青", "緑"}},
      {"ﾀﾞｲﾔ", {"青", "暗黄", "暗緑", "茶"}},
      {"方眼紙", {"赤", "青", "緑", "灰"}},
      {"ｽﾏｲﾙﾏｰｸ", {"赤", "黄", "薄黄", "ｵﾚﾝｼﾞ", "灰"}},
      {"ｽﾀｰ", {"青", "黄", "緑", "紫"}},
      {"ﾊｰﾄ", {"ﾋﾟﾝｸ", "赤"}},
      // Two-colour patterns for themed windows.
      {"ﾄﾞｯﾄ", {"白-灰", "白-赤", "白-青", "白-黄", "白-緑", "白-紫"}},
      {"ｽﾓｰﾙﾌﾞﾛｯｸ", {"白-灰"}},
      {"ﾗｰｼﾞﾌﾞﾛｯｸ", {"白-灰"}},
      {"ｳｪｰﾌﾞ", {"白-灰"}},
      {"ｷﾞｻﾞｷﾞｻﾞ", {"白-灰", "白-赤", "白-青", "白-水色", "白-緑", "白-紫"}},
      {"ﾀﾞｲﾔ", {"白-灰", "白-赤", "白-青", "白-緑", "白-紫"}},
      {"ｽﾀｰ", {"白-灰"}},
      {"ﾊｰﾄ", {"白-灰"}},
  };
  std::vector<BackgroundPatternEntry> out;
  for (const Family& f : families) {
    for (const char* colour : f.colours) {
      const std::string c = colour;
      const bool two_colour = c.find('-') != std::string::npos;
      const bool translucent = std::string(f.name) == "ﾀﾞｲﾔ" && two_colour && c != "白-灰";
      out.push_back({std::string(f.name) + "　" + c, !two_colour   ? ""
                                                     : translucent ? kManifestTranslucent
                                                                   : kManifest});
    }
  }
  return out;
}

}  // namespace

const std::vector<BackgroundPatternEntry>& BackgroundPatternEntries() {
  static const std::vector<BackgroundPatternEntry> entries = Build();
  return entries;
}

}  // namespace kelvora
