#include "setup/wizard/wizard_navigation.h"

#include <gtest/gtest.h>

#include "setup/wizard/wizard_picture.h"
#include "setup/wizard/wizard_texts.h"

namespace {

// Pages shown by pressing Next from the start until the progress page.
std::string WalkForward(TWizardNavigation& nav) {
  std::string pages(1, static_cast<char>('0' + nav.Start()));
  while (nav.CurrentPage() != wizard::kProgressPage && pages.size() < 20) {
    pages += static_cast<char>('0' + nav.Next());
  }
  return pages;
}

std::vector<TCheckItem> Items(std::initializer_list<std::pair<bool, bool>> marks) {
  std::vector<TCheckItem> items;
  for (auto [checked, required] : marks) items.push_back({"p", checked, required});
  return items;
}

std::string Marks(const std::vector<TCheckItem>& items) {
  std::string s;
  for (const TCheckItem& i : items) s += i.Checked ? 'x' : '-';
  return s;
}

}  // namespace

TEST(WizardNavigation, EverySwitchOnWalksTheSequence) {
  TWizardNavigation nav("0124567");
  EXPECT_EQ(WalkForward(nav), "0124567");
  EXPECT_EQ(nav.PagePosition(), 7);
  // Next on the progress page has nowhere to go.
  EXPECT_EQ(nav.Next(), wizard::kProgressPage);
  EXPECT_EQ(nav.PagePosition(), 7);
}

TEST(WizardNavigation, CustomBranchRunsThroughTheComponentPage) {
  TWizardNavigation nav("0124567");
  std::string pages;
  pages += static_cast<char>('0' + nav.Start());
  pages += static_cast<char>('0' + nav.Next());
  pages += static_cast<char>('0' + nav.Next());
  pages += static_cast<char>('0' + nav.InstallTypeNext(true));
  EXPECT_EQ(nav.PagePosition(), 3) << "the component page keeps the position of the install-type page";
  while (nav.CurrentPage() != wizard::kProgressPage) pages += static_cast<char>('0' + nav.Next());
  EXPECT_EQ(pages, "01234567");
}

TEST(WizardNavigation, FullInstallTypeIsAnOrdinaryNext) {
  TWizardNavigation nav("0124567");
  nav.Start();
  nav.Next();
  nav.Next();
  EXPECT_EQ(nav.InstallTypeNext(false), wizard::kLanguagePage);
  EXPECT_EQ(nav.PagePosition(), 4);
}

TEST(WizardNavigation, BackAfterTheComponentPageReturnsToTheInstallType) {
  TWizardNavigation nav("0124567");
  nav.Start();
  nav.Next();
  nav.Next();
  nav.InstallTypeNext(true);
  EXPECT_EQ(nav.Next(), wizard::kLanguagePage);
  EXPECT_EQ(nav.Back(), wizard::kTypePage);
  // Back from the component page itself goes to the install-type page too.
  nav.InstallTypeNext(true);
  EXPECT_EQ(nav.ComponentBack(), wizard::kTypePage);
  EXPECT_EQ(nav.PagePosition(), 3);
  EXPECT_EQ(nav.Back(), wizard::kFolderPage);
}

TEST(WizardNavigation, SwitchedOffPagesAreSkipped) {
  TWizardNavigation noCustom("014567");
  EXPECT_EQ(WalkForward(noCustom), "014567");
  TWizardNavigation noReady("01245");
  EXPECT_EQ(WalkForward(noReady), "012457") << "the last optional page leads to the progress page";
  TWizardNavigation onlyRun("7");
  EXPECT_EQ(onlyRun.Start(), wizard::kProgressPage);
}

TEST(WizardNavigation, BackOnTheFirstPageStaysThere) {
  TWizardNavigation nav("124567");
  EXPECT_EQ(nav.Start(), wizard::kFolderPage);
  EXPECT_EQ(nav.Back(), wizard::kFolderPage);
  EXPECT_EQ(nav.PagePosition(), 1);
  EXPECT_EQ(nav.Next(), wizard::kTypePage);
}

TEST(WizardNavigation, MalformedSequencesStillEndOnTheProgressPage) {
  EXPECT_EQ(TWizardNavigation("").PageSequence(), "7");
  EXPECT_EQ(TWizardNavigation("0139x").PageSequence(), "017");
  EXPECT_EQ(TWizardNavigation("0156").PageSequence(), "01567");
}

TEST(ComponentList, OneClickFlipsOneEnabledItem) {
  auto items = Items({{true, true}, {true, false}, {false, false}});
  EXPECT_TRUE(ToggleCheckItem(items, 1));
  EXPECT_TRUE(ToggleCheckItem(items, 2));
  EXPECT_EQ(Marks(items), "x-x");
  EXPECT_TRUE(ToggleCheckItem(items, 1));
  EXPECT_EQ(Marks(items), "xxx");
}

TEST(ComponentList, RequiredAndAbsentItemsNeverChange) {
  auto items = Items({{true, true}, {true, false}});
  EXPECT_FALSE(ToggleCheckItem(items, 0));
  EXPECT_FALSE(ToggleCheckItem(items, -1));
  EXPECT_FALSE(ToggleCheckItem(items, 2));
  EXPECT_EQ(Marks(items), "xx");
}

TEST(ComponentList, FullCheckesEverythingButTheFirstItem) {
  auto items = Items({{false, false}, {false, false}, {true, true}, {false, false}});
  CheckAllButFirst(items);
  EXPECT_EQ(Marks(items), "-xxx");
  std::vector<TCheckItem> none;
  CheckAllButFirst(none);
  EXPECT_TRUE(none.empty());
}

TEST(InstallFolder, BrowseAppendsTheProductFolder) {
  EXPECT_EQ(AppendInstallFolder("D:\\", "Tool"), "D:\\Tool");
  EXPECT_EQ(AppendInstallFolder("D:\\Apps", "Tool"), "D:\\Apps\\Tool");
  EXPECT_EQ(AppendInstallFolder("\\\\srv\\share", "Tool"), "\\\\srv\\share\\Tool");
  EXPECT_EQ(AppendInstallFolder("D:\\Apps", ""), "D:\\Apps\\");
}

TEST(InstallFolder, BlankFoldersAreRefused) {
  EXPECT_TRUE(IsBlankInstallFolder(""));
  EXPECT_TRUE(IsBlankInstallFolder("   \t "));
  EXPECT_FALSE(IsBlankInstallFolder(" C:\\x "));
  EXPECT_FALSE(IsBlankInstallFolder("\xC0"));  // a Cyrillic letter is no blank
}

TEST(WizardTexts, NameIsSplicedWithTheWizardsLineBreaks) {
  TPageTexts t = BuildPageTexts("Tool");
  EXPECT_NE(t.Page[1].find("\n\r\n\r           Tool.\n\r\n\r"), std::string::npos);
  for (const std::string& text : t.Page) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\r') << text;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\n') << text;
      }
    }
  }
  EXPECT_NE(t.Finish.find("\n\r\n\r           Tool\n\r\n\r"), std::string::npos);
  EXPECT_EQ(t.Page[2].back(), '\r');
  for (int page = 0; page < wizard::kProgressPage; ++page) {
    EXPECT_FALSE(PageTitle(page).empty()) << page;
  }
  EXPECT_TRUE(PageTitle(wizard::kProgressPage).empty());
}

TEST(Pictures, KindFollowsTheExtension) {
  EXPECT_EQ(PictureKindOf("side.bmp"), TPictureKind::Bitmap);
  EXPECT_EQ(PictureKindOf("pics\\SIDE.BMP"), TPictureKind::Bitmap);
  EXPECT_EQ(PictureKindOf("a.ico"), TPictureKind::Icon);
  EXPECT_EQ(PictureKindOf("a.Wmf"), TPictureKind::Metafile);
  EXPECT_EQ(PictureKindOf("a.emf"), TPictureKind::EnhancedMetafile);
  EXPECT_EQ(PictureKindOf("a.bmp.png"), TPictureKind::Unsupported);
  EXPECT_EQ(PictureKindOf("a.gif"), TPictureKind::Unsupported);
  EXPECT_EQ(PictureKindOf("bmp"), TPictureKind::Unsupported);
  EXPECT_EQ(PictureKindOf("dir.bmp\\pic"), TPictureKind::Unsupported);
}

TEST(Pictures, PlaceableMetafileHeaderIsSkipped) {
  std::string bare(18, '\0');
  EXPECT_EQ(MetafileRecordsOffset(bare), 0u);
  std::string placeable = std::string("\xD7\xCD\xC6\x9A", 4) + std::string(18, '\0') + bare;
  EXPECT_EQ(MetafileRecordsOffset(placeable), 22u);
  EXPECT_EQ(MetafileRecordsOffset(placeable.substr(0, 30)), std::string::npos);
  EXPECT_EQ(MetafileRecordsOffset("abc"), std::string::npos);
}
