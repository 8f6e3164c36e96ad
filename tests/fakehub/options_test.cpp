#include "fakehub/fakehub_options.h"

#include <gtest/gtest.h>

using namespace norvane::fakehub;
using namespace Qt::StringLiterals;

namespace {

QStringList command(std::initializer_list<const char*> options)
{
    QStringList arguments{u"norvane-fakehub"_s};
    for (const char* option : options)
        arguments.append(QString::fromUtf8(option));
    return arguments;
}

// What a command line comes to, in a form one table can spell: the fault with its exit code, "help", or
// what is served and every setting that differs from the defaults.
std::string outcome(const CommandLine& line)
{
    if (const auto* error = std::get_if<CommandLineError>(&line))
        return "error " + std::to_string(error->exitCode) + ": " + error->message.toStdString();
    if (std::holds_alternative<CommandLineHelp>(line))
        return "help";
    const auto& o = std::get<CommandLineOptions>(line);
    std::string text = o.generate ? "generate " + std::to_string(*o.generate)
                                  : "scenario " + o.scenarioFile.value_or(u"(none)"_s).toStdString();
    if (o.print)
        text += " print";
    if (o.hub.port != 0)
        text += " port=" + std::to_string(o.hub.port);
    if (o.hub.latency.count() != 0)
        text += " latency=" + std::to_string(o.hub.latency.count());
    if (o.hub.feedPollIntervalSecs != 60)
        text += " feed=" + std::to_string(o.hub.feedPollIntervalSecs);
    if (o.hub.tls)
        text += " tls=" + o.hub.tls->certificateFile.toStdString() + "+" + o.hub.tls->keyFile.toStdString();
    if (o.hub.enterprise)
        text += " enterprise";
    if (o.logRequests)
        text += " log";
    if (o.manualTimeline)
        text += " manual";
    for (const auto& [resource, limit] : o.rateLimits)
        text += " " + resource.toStdString() + "=" + std::to_string(limit);
    return text;
}

TEST(FakeHubOptions, EachCommandLineComesToItsSettingsOrItsOneFault)
{
    const std::pair<QStringList, std::string> cases[] = {
        {command(
             {"--scenario=a.json", "--tls-cert", "c.pem", "--tls-key", "k.pem", "--enterprise", "--print"}),
         "scenario a.json print tls=c.pem+k.pem enterprise"},
        {command({"--generate", "0", "--latency-ms", "20", "--port", "65535", "--feed-poll-interval", "1"}),
         "generate 0 port=65535 latency=20 feed=1"},
        {command({"--scenario", "a.json", "--log-requests", "--manual-timeline", "stray"}),
         "scenario a.json log manual"},
        {command({"--generate", "1", "--rate-limit", "core=5", "--rate-limit", "search=0"}),
         "generate 1 core=5 search=0"},
        // Help comes before any check of the rest.
        {command({"-h"}), "help"},
        {command({"--port", "x", "--help-all"}), "help"},
        // What Qt's parser refuses exits with 1, as it always did.
        {command({"--bogus", "--help"}), "error 1: Unknown option 'bogus'."},
        {command({"--port"}), "error 1: Missing value after '--port'."},
        // The rest exits with 2; the first fault is the one said, in the order the checks always ran.
        {command({"--generate", "1", "--port", "70000"}),
         "error 2: --port and --latency-ms take non-negative numbers"},
        {command({"--port", "x", "--tls-cert", "a"}),
         "error 2: --port and --latency-ms take non-negative numbers"},
        {command({"--generate", "1", "--latency-ms", ""}),
         "error 2: --port and --latency-ms take non-negative numbers"},
        {command({"--generate", "1", "--feed-poll-interval", "0"}),
         "error 2: --feed-poll-interval takes a number of seconds of at least 1"},
        {command({"--generate", "-1"}), "error 2: --generate takes a non-negative number"},
        {command({"--rate-limit", "core=x", "--generate", "y"}),
         "error 2: --rate-limit takes RESOURCE=N, e.g. core=5000"},
        {command({"--generate", "1", "--rate-limit", "=5"}),
         "error 2: --rate-limit takes RESOURCE=N, e.g. core=5000"},
        {command({"--generate", "1", "--rate-limit", "core=1=2"}),
         "error 2: --rate-limit takes RESOURCE=N, e.g. core=5000"},
        {command({"--tls-cert", "a", "--generate", "1", "--scenario", "b"}),
         "error 2: --tls-cert and --tls-key go together"},
        {command({"--print"}), "error 2: give exactly one of --scenario FILE and --generate N"},
        {command({"--generate", "x", "--scenario", "a.json"}),
         "error 2: give exactly one of --scenario FILE and --generate N"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(outcome(parseCommandLine(arguments)), expected) << arguments.join(u' ').toStdString();
}

} // namespace
