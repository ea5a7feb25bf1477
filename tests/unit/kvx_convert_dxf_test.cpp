#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>

namespace {

const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";

TEST(KvxConvertDxf, AnyLetterCaseOfTheExtensionWritesFaces) {
  kvx::test::TempEnv env;
  const std::string sample = env.path("sample.kvx").string();
  ASSERT_EQ(kvx::test::runCommand(kKvx + " sample " + sample).status, 0);
  for (const char* name : {"out.dxf", "OUT.DXF", "Out.Dxf"}) {
    const std::string out = env.path(name).string();
    auto result = kvx::test::runCommand(kKvx + " convert " + sample + " " + out + " 2>&1");
    ASSERT_EQ(result.status, 0) << result.output;
    const std::string dxf = kvx::test::readFile(out);
    EXPECT_NE(dxf.find("3DFACE"), std::string::npos) << name;
    EXPECT_TRUE(dxf.ends_with("0\nENDSEC\n0\nEOF\n")) << name;
  }
  auto missing = kvx::test::runCommand(kKvx + " convert " + sample + " " + env.path("no/dir/x.dxf").string() + " 2>&1");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("does not exist; create it first"), std::string::npos) << missing.output;
}

}  // namespace
