#include "engine/bridge/EngineBridge.h"
#include "engine/core/tests/support/CommonTestSupport.h"
#include "framework/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const RwV3d kY{0, 1, 0};

RwV3d Apply(const RwMatrix* m, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, m);
    return out;
}

TEST(MatrixTest, EngineMatricesBecomeFrameworkRotations)
{
    RwMatrix m;
    RwMatrixRotate(RwMatrixSetIdentity(&m), &kY, 90, rwCombineReplace);
    const Matrix3 r = Math::Matrix3FromRwMatrix(&m);
    const Vector3 x = r.Transform(Vector3(1, 0, 0));
    const RwV3d engine = Apply(&m, {1, 0, 0});
    EXPECT_NEAR(x.x, engine.x, 1e-5f);
    EXPECT_NEAR(x.z, engine.z, 1e-5f);
    const Vector3 q = Math::QuaternionFromRwMatrix(&m).Rotate(Vector3(1, 0, 0));
    EXPECT_NEAR(q.x, engine.x, 1e-5f);
    EXPECT_NEAR(q.z, engine.z, 1e-5f);
}

TEST(StreamTest, EngineStreamsReadAndWriteThroughTheGameFileLayer)
{
    std::filesystem::create_directories("Assets/Sub");
    FileSystem::Instance()->AddAlias("<XP>", "Assets\\");
    ASSERT_TRUE(RtFSManagerOpen(-1));
    ASSERT_TRUE(RwInstallFileSystem());
    ASSERT_NE(VantaroFileSystem::Get(), nullptr);
    EXPECT_EQ(RtFSManagerGetFileSystemFromName("vantaro"), VantaroFileSystem::Get());
    // Written under an alias with backslashes, read back in another letter case.
    RwStream* w = RwStreamOpen(rwStreamFileName, rwStreamWrite, "<XP>Sub\\Data.bin");
    ASSERT_NE(w, nullptr);
    RwStreamWriteChunkHeader(w, 22, 4, 0);
    ASSERT_TRUE(RwStreamClose(w, nullptr));
    EXPECT_TRUE(std::filesystem::exists("Assets/Sub/Data.bin"));

    RwStream* r = RwStreamOpen(rwStreamFileName, rwStreamRead, "<XP>sub\\DATA.BIN");
    ASSERT_NE(r, nullptr);
    RwUInt32 size, version;
    EXPECT_TRUE(RwStreamFindChunk(r, 22, &size, &version));
    EXPECT_EQ(version, 4u);
    RwStreamClose(r, nullptr);
    // Without the game's file system the alias means nothing to the disk.
    VantaroFileSystem::Uninstall();
    EXPECT_EQ(VantaroFileSystem::Get(), nullptr);
    {
        LogCapture log;
        EXPECT_EQ(RwStreamOpen(rwStreamFileName, rwStreamRead, "<XP>Sub\\Data.bin"), nullptr);
    }
    r = RwStreamOpen(rwStreamFileName, rwStreamRead, "Assets\\Sub\\Data.bin");
    EXPECT_NE(r, nullptr);  // the default file system turns backslashes into slashes
    RwStreamClose(r, nullptr);
    RtFSManagerClose();
    FileSystem::Instance()->RemoveAlias("<XP>");
    // Without the manager the game's file system cannot be installed.
    LogCapture log;
    EXPECT_FALSE(RwInstallFileSystem());
    EXPECT_EQ(VantaroFileSystem::Get(), nullptr);
    EXPECT_TRUE(log.Contains("RwInstallFileSystem"));
}
}  // namespace
