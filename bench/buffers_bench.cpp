// Vertex and index buffers copied, saved to and loaded from a memory stream,
// a million vertices or indices at a time, beside memcpy of the same bytes;
// and tArray beside std::vector.
//
// Names: buffers/<vertex|index>/<Copy|Save|Load>/ours, buffers/<vertex|index>/memcpy;
// array/<add|sum|copy>/<tArray|std::vector>. Bytes per second count the
// buffer's block once per operation.

#include <benchmark/benchmark.h>
#include <tolmak.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <type_traits>
#include <vector>

#include "bench_main.h"

namespace {

constexpr uint32_t kCount = 1000000;
// Position, normal, an ARGB8888 diffuse colour and one texture set: 36 bytes.
constexpr uint32_t kVertexFormat = 1 | 2 | 4 | (1 << 4);

void FillRandom(void* block, size_t bytes) {
  std::mt19937 random(11);
  auto* out = static_cast<uint8_t*>(block);
  for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(random());
}

cVertexBuffer MakeVertices() {
  cVertexBuffer buffer(kCount, kVertexFormat, cPixelFormat::ARGB8888);
  FillRandom(buffer.GetPtr(), size_t{kCount} * buffer.GetStride());
  return buffer;
}

cIndexBuffer MakeIndices() {
  std::vector<uint16_t> indices(kCount);
  FillRandom(indices.data(), indices.size() * 2);
  return cIndexBuffer(indices.data(), kCount);
}

size_t BlockBytes(const cVertexBuffer& b) {
  return size_t{b.GetLength()} * b.GetStride();
}
size_t BlockBytes(const cIndexBuffer& b) {
  return size_t{b.GetLength()} * 2;
}

void Done(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

template <class Buffer>
void CopyOurs(benchmark::State& state, Buffer source) {
  Buffer target(source);
  for (auto _ : state) {
    target.Copy(source);
    benchmark::ClobberMemory();
  }
  Done(state, BlockBytes(source));
}

// The stream keeps its storage from one Save to the next, as a stream that
// is written again would.
template <class Buffer>
void SaveOurs(benchmark::State& state, Buffer source) {
  cMemoryStream stream;
  source.Save(stream);
  for (auto _ : state) {
    stream.Seek(0);
    source.Save(stream);
    benchmark::ClobberMemory();
  }
  Done(state, BlockBytes(source));
}

template <class Buffer>
void LoadOurs(benchmark::State& state, Buffer source) {
  cMemoryStream stream;
  source.Save(stream);
  Buffer target;
  stream.Seek(0);
  target.Load(stream);  // a buffer that is loaded again: it holds a block of that size
  for (auto _ : state) {
    stream.Seek(0);
    target.Load(stream);
    benchmark::ClobberMemory();
  }
  Done(state, BlockBytes(source));
}

void Memcpy(benchmark::State& state, size_t bytes) {
  std::vector<uint8_t> from(bytes), to(bytes);
  FillRandom(from.data(), bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  Done(state, bytes);
}

void ArrayAdd(benchmark::State& state) {
  for (auto _ : state) {
    tArray<int32_t> array;
    for (int32_t i = 0; i < static_cast<int32_t>(kCount); ++i) array.Add(i);
    benchmark::DoNotOptimize(array.GetData());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
}

void VectorAdd(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int32_t> vector;
    for (int32_t i = 0; i < static_cast<int32_t>(kCount); ++i) vector.push_back(i);
    benchmark::DoNotOptimize(vector.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
}

template <class Container>
Container Filled() {
  Container c;
  for (int32_t i = 0; i < static_cast<int32_t>(kCount); ++i) {
    if constexpr (std::is_same_v<Container, tArray<int32_t>>)
      c.Add(i);
    else
      c.push_back(i);
  }
  return c;
}

template <class Container>
void Sum(benchmark::State& state) {
  const Container c = Filled<Container>();
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t v : c) sum += v;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
}

template <class Container>
void CopyContainer(benchmark::State& state) {
  const Container c = Filled<Container>();
  for (auto _ : state) {
    Container copy(c);
    benchmark::DoNotOptimize(&copy);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kCount));
}

}  // namespace

bool RegisterBenchmarks() {
  const cVertexBuffer vertices = MakeVertices();
  const cIndexBuffer indices = MakeIndices();
  benchmark::RegisterBenchmark("buffers/vertex/Copy/ours", CopyOurs<cVertexBuffer>, vertices);
  benchmark::RegisterBenchmark("buffers/vertex/Save/ours", SaveOurs<cVertexBuffer>, vertices);
  benchmark::RegisterBenchmark("buffers/vertex/Load/ours", LoadOurs<cVertexBuffer>, vertices);
  benchmark::RegisterBenchmark("buffers/vertex/memcpy", Memcpy, BlockBytes(vertices));
  benchmark::RegisterBenchmark("buffers/index/Copy/ours", CopyOurs<cIndexBuffer>, indices);
  benchmark::RegisterBenchmark("buffers/index/Save/ours", SaveOurs<cIndexBuffer>, indices);
  benchmark::RegisterBenchmark("buffers/index/Load/ours", LoadOurs<cIndexBuffer>, indices);
  benchmark::RegisterBenchmark("buffers/index/memcpy", Memcpy, BlockBytes(indices));
  benchmark::RegisterBenchmark("array/add/tArray", ArrayAdd);
  benchmark::RegisterBenchmark("array/add/std::vector", VectorAdd);
  benchmark::RegisterBenchmark("array/sum/tArray", Sum<tArray<int32_t>>);
  benchmark::RegisterBenchmark("array/sum/std::vector", Sum<std::vector<int32_t>>);
  benchmark::RegisterBenchmark("array/copy/tArray", CopyContainer<tArray<int32_t>>);
  benchmark::RegisterBenchmark("array/copy/std::vector", CopyContainer<std::vector<int32_t>>);
  return true;
}
