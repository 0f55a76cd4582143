// Matrix products and inversion, point transforms and frustum culling.

#include <benchmark/benchmark.h>

#include <vector>

#include "aeMath.h"

namespace
{
Matrix SomeTransform(float t)
{
    return MatrixScaling(Vector3(1.5f, 0.8f, 1.2f)) * MatrixRotation(0.3f * t, 0.7f * t, 0.1f)
           * MatrixTranslation(Vector3(t, 2.0f, -3.0f * t));
}

void BM_MathMatrixProduct(benchmark::State& state)
{
    Matrix a = SomeTransform(0.5f), b = SomeTransform(1.5f);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        Matrix r = a * b;
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_MathMatrixProduct);

void BM_MathMatrixInvert(benchmark::State& state)
{
    Matrix a = SomeTransform(0.5f);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(a);
        Matrix r = MatrixInvert(a);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_MathMatrixInvert);

void BM_MathTransformCoords(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<Vector3> in(n), out(n);
    for (int i = 0; i < n; i++) in[i] = Vector3(i * 0.1f, i * -0.2f, 1.0f + i * 0.05f);
    const Matrix m = MatrixCamera(Vector3(0, 2, -20), Vector3(0, 0, 0), Vector3(0, 1, 0))
                     * MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f);
    for (auto _ : state)
    {
        for (int i = 0; i < n; i++) out[i] = Vector3TransformCoords(in[i], m, nullptr);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MathTransformCoords)->Arg(1024);

// Boxes of one maze window (11 × 11 fields of 20 units) against the view volume.
struct CullingScene
{
    Plane planes[6];
    std::vector<Matrix> placements;
    std::vector<Matrix> inverses;

    CullingScene()
    {
        ComputeClipPlanes(MatrixCamera(Vector3(0, 5, 0), Vector3(30, 5, 40), Vector3(0, 1, 0)),
                          MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f), planes);
        for (int y = 0; y < 11; y++)
            for (int x = 0; x < 11; x++)
            {
                const Matrix m = MatrixRotationY(0.25f * (x + y))
                                 * MatrixTranslation(Vector3(100.0f - 20.0f * x, 0, 100.0f - 20.0f * y));
                placements.push_back(m);
                inverses.push_back(MatrixInvert(m));
            }
    }
};

void BM_MathBoxCulling(benchmark::State& state)
{
    const CullingScene scene;
    const Vector3 lo(-10, 0, -10), hi(10, 10, 10);
    for (auto _ : state)
    {
        int visible = 0;
        for (const Matrix& m : scene.placements) visible += BoxVisible(lo, hi, m, scene.planes);
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * scene.placements.size());
}
BENCHMARK(BM_MathBoxCulling);

void BM_MathBoxCullingInverse(benchmark::State& state)
{
    const CullingScene scene;
    const Vector3 lo(-10, 0, -10), hi(10, 10, 10);
    for (auto _ : state)
    {
        int visible = 0;
        for (const Matrix& m : scene.inverses) visible += BoxVisible_Inv(lo, hi, m, scene.planes);
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * scene.inverses.size());
}
BENCHMARK(BM_MathBoxCullingInverse);
}
