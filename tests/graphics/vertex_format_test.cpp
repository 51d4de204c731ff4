// The numbered vertex formats and the buffer pools around a device reset.
#include "graphics_fixture.h"
#include "platform/gfx.h"

using namespace platform;

namespace {
class VertexFormatTest : public GraphicsTest {};
}

TEST(VertexTypeTest, StridesAreTheSizesOfTheFormatsComponents)
{
    const uint32_t fvf[14] = {0x012, 0x052, 0x0D2, 0x112, 0x152, 0x1D2, 0x212,
                              0x252, 0x2D2, 0x142, 0x1C2, 0x1D2, 0x144, 0x1C4};
    for (int type = 0; type < 14; ++type) {
        EXPECT_EQ(GetVertexFvf(type), fvf[type]) << type;
        EXPECT_EQ(GetVertexStride(type), GfxFvfStride(fvf[type])) << type;
    }
    EXPECT_EQ(GetVertexStride(9), 24u);
    EXPECT_EQ(GetVertexStride(12), 28u);
    EXPECT_EQ(GetVertexStride(14), 0u);
    EXPECT_EQ(GetVertexFvf(20), 0u);
    EXPECT_EQ(GetVertexFvf(-1), 0u);
}

TEST_F(VertexFormatTest, DynamicBuffersAreReleasedAndMadeAgainManagedOnesStay)
{
    CreateDevice();
    VertexBufferEntry* managed = NewVertexBuffer(1, 8, 10);
    VertexBufferEntry* dynamic = NewVertexBuffer(9, 0x218, 10);
    IndexBufferEntry* indices32 = NewIndexBuffer(true, 0x200, 30);
    ASSERT_TRUE(managed && dynamic && indices32);
    EXPECT_EQ(Described(GfxCallKind::CreateIndexBuffer)[0].substr(0, 32), "CreateIndexBuffer 120 512 102 0 ");
    EXPECT_EQ(NewVertexBuffer(14, 0, 10), nullptr);

    void* first = LockVertexBuffer(managed, 0, 2, 4);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LockVertexBuffer(managed, 0, 0, 1), first); // the lock already held
    UnlockVertexBuffer(managed);
    EXPECT_EQ(LockVertexBuffer(managed, 0, 8, 4), nullptr); // beyond the buffer

    GfxVertexBuffer* managedBuffer = managed->buffer;
    LockVertexBuffer(dynamic, LockDiscard, 0, 10);
    ReleaseDynamicBuffers();
    EXPECT_EQ(dynamic->buffer, nullptr);
    EXPECT_EQ(dynamic->lock, nullptr);
    EXPECT_EQ(indices32->buffer, nullptr);
    EXPECT_EQ(managed->buffer, managedBuffer);
    EXPECT_EQ(RecreateDynamicBuffers(), 0);
    ASSERT_NE(dynamic->buffer, nullptr);
    GfxBufferDesc desc;
    dynamic->buffer->GetDesc(desc);
    EXPECT_EQ(desc.pool, static_cast<uint32_t>(PoolDefault));
    EXPECT_EQ(desc.size, 240u);
    EXPECT_EQ(desc.usage, 0x218u);

    FreeVertexBuffer(dynamic);
    EXPECT_EQ(DeviceState().streamBuffer, 0u);
    FreeBatchBuffers(); // the batches own two entries of each pool
    FreeAllVertexBuffers();
    FreeAllIndexBuffers();
    EXPECT_TRUE(VertexBufferPool.empty());
    EXPECT_EQ(DeviceState().liveDefaultPool, 2); // the two small surfaces
}
