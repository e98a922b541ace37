// Reading saved web pages: the HTML parse alone, and a whole page read as
// the importer reads it (in a child process, JSON-LD and microdata mapped),
// over the test pages and a few larger made-up ones.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formats/html_document.h"
#include "formats/schema_org.h"

namespace {

std::string recipe_script(int number) {
    return "<script type=\"application/ld+json\">{\"@context\": \"https://schema.org\", \"@type\": \"Recipe\", "
           "\"name\": \"Lentil soup " + std::to_string(number) + "\", \"recipeYield\": \"4 servings\", "
           "\"recipeIngredient\": [\"200 g red lentils\", \"1 onion, chopped\", \"1 l stock\"], "
           "\"recipeInstructions\": [{\"@type\": \"HowToStep\", \"text\": \"Soften the onion.\"}, "
           "{\"@type\": \"HowToStep\", \"text\": \"Simmer the lentils in the stock for 20 minutes.\"}]}</script>";
}

// A food blog's page: a long head, menus, a story of many paragraphs, the
// recipe as JSON-LD, comments. Grows with paragraphs.
std::string blog_page(int paragraphs) {
    std::string page = "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Lentil soup</title>";
    for (int i = 0; i < 40; ++i)
        page += "<link rel=\"stylesheet\" href=\"/css/part" + std::to_string(i) + ".css\"><meta name=\"m" +
                std::to_string(i) + "\" content=\"x\">";
    page += recipe_script(1) + "</head><body><nav><ul>";
    for (int i = 0; i < 50; ++i) page += "<li><a href=\"/c/" + std::to_string(i) + "\">Category " + std::to_string(i) + "</a></li>";
    page += "</ul></nav><main><article>";
    for (int i = 0; i < paragraphs; ++i)
        page += "<div class=\"entry\"><p>When the evenings draw in, a pot of <b>soup</b> on the stove is the "
                "best thing in the house. <a href=\"/p/" + std::to_string(i) + "\">Read more</a> about "
                "<em>lentils</em>, and why they need no soaking.</p><img src=\"/i/" + std::to_string(i) +
                ".jpg\" alt=\"soup\"></div>";
    page += "</article><section id=\"comments\">";
    for (int i = 0; i < paragraphs / 4; ++i) page += "<div class=\"comment\"><span>Ann</span><p>Lovely, thank you!<br>Made it twice.</p></div>";
    return page + "</section></main><footer>&copy; Example</footer></body></html>";
}

std::vector<std::pair<std::string, std::string>> pages() {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(LDR_TEST_DATA_DIR) + "/schema_org")) {
        if (entry.path().extension() != ".html") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        found.emplace_back(entry.path().filename().string(), bytes.str());
    }
    found.emplace_back("blog 100 KB", blog_page(300));
    found.emplace_back("blog 1 MB", blog_page(3000));
    found.emplace_back("blog 10 MB", blog_page(30000));
    std::string nested;
    for (int i = 0; i < 2000; ++i) nested += "<div><span>x";
    found.emplace_back("2,000 deep", nested + recipe_script(2));
    return found;
}

void parse(benchmark::State& state, const std::string& page) {
    for (auto _ : state) {
        html_document document = parse_html(page);
        benchmark::DoNotOptimize(document.tree.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void read_page(benchmark::State& state, const std::string& page) {
    for (auto _ : state) benchmark::DoNotOptimize(read_recipe_page(page, "page.html").recipes.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

}  // namespace

int main(int argc, char** argv) {
    static const auto all = pages();
    for (const auto& [name, page] : all) {
        benchmark::RegisterBenchmark(("parse/" + name).c_str(), parse, page)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("read page/" + name).c_str(), read_page, page)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
