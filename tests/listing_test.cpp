#include "listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "failures.h"
#include "fake_platform.h"

namespace {

std::vector<std::string> Lines(const OutputList& output) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < output.Count(); ++i) {
    std::string line(output.Length(i), '\0');
    EXPECT_EQ(output.Copy(i, line.data()), line.data() + line.size());
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Listed(const std::vector<FakeEntry>& files, char separator = '/') {
  FakePlatform platform;
  EntryList entries(platform);
  for (const FakeEntry& file : files) entries.AddFile(file.name, file.time);
  OutputList output(separator);
  output.FillFrom(entries);
  return Lines(output);
}

std::vector<std::string> ListedNames(const std::vector<FakeEntry>& files) {
  std::vector<std::string> names;
  for (const std::string& line : Listed(files)) {
    const std::size_t start = line.find('>') + 1;
    names.push_back(line.substr(start, line.find("</a>") - start));
  }
  return names;
}

const PackedFileTime kNoon = Packed(2009, 3, 5, 12);

TEST(IndexEntry, IsTheDateAndALinkToTheName) {
  EXPECT_EQ(Listed({{"report 2009.html", Packed(2009, 3, 5, 7, 4, 2)}}),
            std::vector<std::string>{"05/03/2009 <a href=\"report 2009.html\">report 2009.html</a><br>"});
  EXPECT_EQ(Listed({{"x.html", Packed(2009, 3, 5)}}, '\0'),
            std::vector<std::string>{"05032009 <a href=\"x.html\">x.html</a><br>"});
}

TEST(IndexEntry, NamesThatCouldBreakThePageAreEscaped) {
  struct Case {
    std::string name;
    std::string target;
    std::string text;
  };
  const Case cases[] = {
      {"<img src=x onerror=alert(1)>.html", "&lt;img src=x onerror=alert(1)&gt;.html",
       "&lt;img src=x onerror=alert(1)&gt;.html"},
      {"say \"hi\" & 'bye'.html", "say &quot;hi&quot; &amp; &#39;bye&#39;.html",
       "say &quot;hi&quot; &amp; &#39;bye&#39;.html"},
      {"javascript:alert(1).html", "javascript%3Aalert(1).html", "javascript:alert(1).html"},
      {"100%#top?.html", "100%25%23top%3F.html", "100%#top?.html"},
      {"back\\slash.html", "back%5Cslash.html", "back\\slash.html"},
      {"two\nlines\x7F.html", "two%0Alines%7F.html", "two&#10;lines&#127;.html"},
      {"tab\there\x01.html", "tab%09here%01.html", "tab&#9;here&#1;.html"},
      {"caf\xC3\xA9 \xFF.html", "caf\xC3\xA9 \xFF.html", "caf\xC3\xA9 \xFF.html"},
      {"a=b.html", "a=b.html", "a=b.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LinkTarget(c.name), c.target) << c.name;
    EXPECT_EQ(LinkText(c.name), c.text) << c.name;
    EXPECT_EQ(Listed({{c.name, kNoon}}),
              std::vector<std::string>{"05/03/2009 <a href=\"" + c.target + "\">" + c.text + "</a><br>"});
  }
}

TEST(EntryList, NewestFirstWhateverTheScanOrder) {
  std::vector<FakeEntry> files = {{"a.html", Packed(2001, 1, 1)},
                                  {"b.html", Packed(2044, 1, 1)},
                                  {"c.html", Packed(1999, 12, 31, 23, 59, 58)},
                                  {"d.html", Packed(2001, 1, 1, 0, 0, 2)}};
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(files.begin(), files.end(), random);
    EXPECT_EQ(ListedNames(files), (std::vector<std::string>{"b.html", "d.html", "a.html", "c.html"}));
  }
}

TEST(EntryList, EqualTimesListTheGreaterNameFirstIgnoringCase) {
  EXPECT_EQ(ListedNames({{"a.html", kNoon}, {"b.html", kNoon}}),
            (std::vector<std::string>{"b.html", "a.html"}));
  EXPECT_EQ(ListedNames({{"B.html", kNoon}, {"a.html", kNoon}}),
            (std::vector<std::string>{"B.html", "a.html"}));
}

TEST(EntryList, NamesDifferingOnlyInCaseAreBothListed) {
  EXPECT_EQ(ListedNames({{"README.html", kNoon}, {"readme.html", kNoon}}),
            (std::vector<std::string>{"readme.html", "README.html"}));
  EXPECT_EQ(ListedNames({{"readme.html", kNoon}, {"README.html", Packed(2010, 1, 1)}}),
            (std::vector<std::string>{"README.html", "readme.html"}));
}

TEST(EntryList, TheSameNameAndTimeIsListedOnce) {
  EXPECT_EQ(ListedNames({{"a.html", kNoon}, {"b.html", kNoon}, {"a.html", kNoon}}),
            (std::vector<std::string>{"b.html", "a.html"}));
}

TEST(EntryList, LongSharedPrefixesAreOrderedByTheirWholeText) {
  // Names alike far beyond the first bytes of their collation keys, in random
  // order, with case-only twins: the order must be the full text's.
  const std::string stem(60, 'x');
  std::vector<FakeEntry> files;
  std::vector<std::string> expected;
  for (char c : std::string("edcba")) {
    expected.push_back(stem + c + ".html");
    expected.push_back(stem + static_cast<char>(c - 'a' + 'A') + ".html");
  }
  for (const std::string& name : expected) files.push_back({name, kNoon});
  files.push_back({"y.html", kNoon});
  expected.insert(expected.begin(), "y.html");
  std::shuffle(files.begin(), files.end(), std::mt19937(3));
  EXPECT_EQ(ListedNames(files), expected);
}

TEST(EntryList, AWholeKeyComesBeforeALongerKeyThatStartsWithIt) {
  // The first name's key is exactly as long as the bytes kept of every key; the
  // second's starts with the same bytes and goes on, though its own bytes are less.
  const std::string whole(24, 'x');
  const std::string longer = std::string(24, 'X') + "a";
  for (const auto& files : {std::vector<FakeEntry>{{whole, kNoon}, {longer, kNoon}},
                            std::vector<FakeEntry>{{longer, kNoon}, {whole, kNoon}}}) {
    EXPECT_EQ(ListedNames(files), (std::vector<std::string>{longer, whole}));
  }
}

TEST(EntryList, AnInvalidTimeLeavesTheListUnchanged) {
  FakePlatform platform;
  EntryList entries(platform);
  entries.AddFile("a.html", kNoon);
  EXPECT_THROW(entries.AddFile("b.html", Packed(2009, 2, 30)), EConvertError);
  EXPECT_EQ(entries.Ordered().size(), 1u);
}

TEST(OutputList, IsEmptyWithoutFiles) { EXPECT_TRUE(Listed({}).empty()); }

}  // namespace
