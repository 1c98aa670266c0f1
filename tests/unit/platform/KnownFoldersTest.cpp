#include "platform/KnownFolders.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace qz {
namespace {

TEST(KnownFolders, WithoutUserDirsFileFallBackToHomeFolders) {
    test::HomeRedirect home;
    EXPECT_EQ(GetDocumentsFolder(), home.home() + "/Documents");
    EXPECT_EQ(GetDesktopFolder(), home.home() + "/Desktop");
}

TEST(KnownFolders, UserDirsFileIsParsed) {
    test::HomeRedirect home;
    home.WriteUserDirs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Eigene \\\"Dokumente\\\"\"\n"
        "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(GetDocumentsFolder(), home.home() + "/Eigene \"Dokumente\"");
    EXPECT_EQ(GetDesktopFolder(), home.home() + "/Schreibtisch");

    home.WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/docs\"\nXDG_DESKTOP_DIR=\"relative/desk\"\n");
    EXPECT_EQ(GetDocumentsFolder(), "/srv/docs");
    EXPECT_EQ(GetDesktopFolder(), home.home() + "/Desktop") << "a relative entry is ignored";
}

TEST(KnownFolders, UserDirsFileDefaultsToConfigFolderInHome) {
    test::HomeRedirect home;
    home.WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    test::ScopedEnv noConfigHome("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(GetDocumentsFolder(), home.home() + "/Docs");
}

TEST(KnownFolders, NoHomeMeansNoFolder) {
    test::HomeRedirect home;
    test::ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_FALSE(GetDocumentsFolder().has_value());
    EXPECT_FALSE(GetDesktopFolder().has_value());
}

TEST(KnownFolders, CacheFolderIsXdgCacheHomeElseDotCacheInHome) {
    test::HomeRedirect home;
    {
        test::ScopedEnv cacheHome("XDG_CACHE_HOME", home.home() + "/cache/");
        EXPECT_EQ(GetCacheFolder(), home.home() + "/cache");
    }
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>("rel/cache"),
          std::optional<std::string>("")}) {
        test::ScopedEnv cacheHome("XDG_CACHE_HOME", unusable);
        EXPECT_EQ(GetCacheFolder(), home.home() + "/.cache");
    }
    test::ScopedEnv noCacheHome("XDG_CACHE_HOME", std::nullopt);
    test::ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_FALSE(GetCacheFolder().has_value());
}

TEST(KnownFolders, ExecutablePathUsesBackslashes) {
    const std::string path = GetExecutablePath();
    EXPECT_EQ(path.find('/'), std::string::npos) << path;
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '\\');
    EXPECT_EQ(path.substr(path.rfind('\\') + 1), "test_platform");
}

}  // namespace
}  // namespace qz
