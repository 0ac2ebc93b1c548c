#include "model/RandomSource.h"

#include <bit>
#include <cmath>

namespace model {

namespace {
std::uint64_t splitmix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
}  // namespace

StdRandomSource::StdRandomSource() : m_engine(std::random_device{}()) {}

StdRandomSource::StdRandomSource(std::uint64_t seed) : m_engine(seed) {}

double StdRandomSource::rnd()
{
    // 53 random bits: exactly representable, always below 1.
    return double(m_engine() >> 11) * 0x1.0p-53;
}

void StdRandomSource::randomize(double secondsSinceMidnight)
{
    const std::uint64_t running = m_engine();
    const std::uint64_t time = std::bit_cast<std::uint64_t>(secondsSinceMidnight);
    m_engine.seed(splitmix(running ^ splitmix(time)));
}

void ScriptedRandomSource::setValues(std::vector<double> values)
{
    m_values = std::move(values);
    m_next = 0;
}

void ScriptedRandomSource::append(std::initializer_list<double> values)
{
    m_values.insert(m_values.end(), values.begin(), values.end());
}

double ScriptedRandomSource::valueFor(int result, int n, int k)
{
    // Middle of the interval that floors to (result - k).
    return (double(result - k) + 0.5) / double(n);
}

double ScriptedRandomSource::rnd()
{
    ++m_drawn;
    if (m_values.empty())
        return 0.0;
    if (m_next >= m_values.size())
        m_next = 0;
    return m_values[m_next++];
}

}  // namespace model
