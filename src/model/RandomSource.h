#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace model {

// The one source of randomness of the program: Rnd and Randomize.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Uniform in [0, 1).
    virtual double rnd() = 0;
    // Mixes the value (seconds since midnight) into the running state. A
    // re-seed never restarts the sequence, so draws made within one clock tick
    // still differ.
    virtual void randomize(double secondsSinceMidnight) = 0;
};

// Int(Rnd * n) + k: a whole number from k to k + n - 1.
inline int drawInt(RandomSource& random, int n, int k)
{
    int value = int(random.rnd() * n);  // rnd() < 1, so this is the floor for n > 0
    if (value >= n && n > 0)
        value = n - 1;  // guards a source that rounds up to n
    return value + k;
}

class StdRandomSource final : public RandomSource {
public:
    StdRandomSource();
    explicit StdRandomSource(std::uint64_t seed);
    double rnd() override;
    void randomize(double secondsSinceMidnight) override;

private:
    std::mt19937_64 m_engine;
};

// Hands out a fixed list of values, in order and then again from the start.
// Records every randomize() it receives.
class ScriptedRandomSource final : public RandomSource {
public:
    ScriptedRandomSource() = default;
    explicit ScriptedRandomSource(std::vector<double> values) : m_values(std::move(values)) {}

    void setValues(std::vector<double> values);
    void append(std::initializer_list<double> values);
    // A value whose draw Int(r * n) + k gives `result` exactly.
    static double valueFor(int result, int n, int k);
    void appendDraw(int result, int n, int k) { m_values.push_back(valueFor(result, n, k)); }

    double rnd() override;
    void randomize(double secondsSinceMidnight) override { m_seeds.push_back(secondsSinceMidnight); }

    std::size_t drawsMade() const { return m_drawn; }
    std::size_t remaining() const { return m_values.size() > m_next ? m_values.size() - m_next : 0; }
    const std::vector<double>& seeds() const { return m_seeds; }

private:
    std::vector<double> m_values;
    std::size_t m_next = 0;
    std::size_t m_drawn = 0;
    std::vector<double> m_seeds;
};

}  // namespace model
