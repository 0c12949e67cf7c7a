#include <gtest/gtest.h>

#include "sis/platform/module.h"

const SisResourceData* ProbeResources();

namespace sis {
namespace {

TEST(Module, GuardsNestAndRestoreTheResourceSource) {
  ResourceModule outer(ProbeResources(), nullptr);
  ResourceModule inner(ProbeResources(), nullptr);
  ASSERT_TRUE(inner.LoadSatellite(PROBE_SATELLITE));
  EXPECT_EQ(CurrentModule(), nullptr);
  EXPECT_EQ(LoadString(10), L"");
  {
    ModuleStateGuard g1(outer);
    EXPECT_EQ(LoadString(10), L"Hello");
    {
      ModuleStateGuard g2(inner);  // another plug-in called from a modal loop
      EXPECT_EQ(LoadString(10), L"Bonjour");
      EXPECT_EQ(LoadStringAnsi(300), "Aide de la zone d'\xE9" "dition");
    }
    EXPECT_EQ(CurrentModule(), &outer);
    EXPECT_EQ(LoadString(11), L"Line one\nLine two");
    EXPECT_FALSE(HasString(12));
  }
  EXPECT_EQ(CurrentModule(), nullptr);
}

TEST(Module, VersionComesFromTheCurrentResources) {
  ResourceModule module(ProbeResources(), nullptr);
  EXPECT_EQ(module.ReadVersion().productVersion, 0x00010002);
  EXPECT_EQ(module.ReadVersion().language, 1033);
  EXPECT_FALSE(module.LoadSatellite("/nonexistent/probeFRA.so"));
  EXPECT_FALSE(module.HasSatellite());
  ASSERT_TRUE(module.LoadSatellite(PROBE_SATELLITE));
  EXPECT_EQ(module.ReadVersion().language, 1036);
  EXPECT_EQ(module.CurrentPath(), PROBE_SATELLITE);
  module.UnloadSatellite();
  EXPECT_EQ(module.ReadVersion().language, 1033);

  ResourceModule bare(nullptr, nullptr);
  EXPECT_EQ(bare.ReadVersion().productVersion, -1);
  EXPECT_EQ(bare.ReadVersion().language, -1);
}

TEST(Module, LocaleAbbreviations) {
  EXPECT_EQ(LocaleAbbreviation(1036), "FRA");
  EXPECT_EQ(LocaleAbbreviation(12345), "");
}

}  // namespace
}  // namespace sis
