#include "platform/files/ProgramFolder.h"

#include "support/ScopedEnvironment.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace twinleaf {
namespace {

using test::ScopedEnvironment;

// An installed binary's folder holds no settings file, so without a named home the settings and
// the store go to the XDG places; the test binary's folder has none either.
TEST(ProgramFolder, WithoutAHomeSettingsAndStoreGoToTheXdgPlaces) {
    test::TempDir dir;
    ScopedEnvironment home("HOME", dir.path().c_str());
    ScopedEnvironment twinleafHome("TWINLEAF_HOME", nullptr);
    struct PlaceCase {
        const char* name;
        const char* config; // $XDG_CONFIG_HOME, null: unset
        const char* data;   // $XDG_DATA_HOME
        std::filesystem::path settings;
        std::filesystem::path store;
    };
    const std::string config = (dir.path() / "cfg").string();
    const std::string data = (dir.path() / "dat").string();
    const PlaceCase cases[] = {
        {"the variables name the places", config.c_str(), data.c_str(),
         dir.path() / "cfg" / "twinleaf", dir.path() / "dat" / "twinleaf"},
        {"unset: the defaults under HOME", nullptr, nullptr, dir.path() / ".config" / "twinleaf",
         dir.path() / ".local" / "share" / "twinleaf"},
        {"a relative path is ignored", "cfg", "dat", dir.path() / ".config" / "twinleaf",
         dir.path() / ".local" / "share" / "twinleaf"},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnvironment configHome("XDG_CONFIG_HOME", c.config);
        ScopedEnvironment dataHome("XDG_DATA_HOME", c.data);
        EXPECT_EQ(settingsFolder(), c.settings);
        EXPECT_EQ(dataFolder(), c.store);
        // Created, so that the settings written at exit have a place on a first run.
        EXPECT_TRUE(std::filesystem::is_directory(c.settings));
    }
}

TEST(ProgramFolder, ANamedHomeHoldsEverything) {
    test::TempDir dir;
    ScopedEnvironment config("XDG_CONFIG_HOME", (dir.path() / "cfg").c_str());
    {
        ScopedEnvironment twinleafHome("TWINLEAF_HOME", (dir.path() / "env").c_str());
        EXPECT_EQ(settingsFolder(), dir.path() / "env");
        EXPECT_EQ(dataFolder(), dir.path() / "env");
        test::ScopedProgramFolder option(dir.path() / "option");
        EXPECT_EQ(settingsFolder(), dir.path() / "option");
        EXPECT_EQ(dataFolder(), dir.path() / "option");
        EXPECT_EQ(programFolder(), dir.path() / "option");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cfg"))
        << "a named home creates no XDG place";
}

} // namespace
} // namespace twinleaf
