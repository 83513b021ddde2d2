"""The page of `novaflux serve` in a real browser (Selenium driving headless Chromium).

A server started on a free port serves the page; the test fills the form with an example's
inputs, rates, and compares the model and figures the page shows with the tool's own rating of
the same file; switches to IP, compares models and rates one by a click on its row; and enters
bad values, whose errors must appear beside the field they are about.
"""
import json
import os
import re
import subprocess
import tempfile

import pytest

webdriver = pytest.importorskip("selenium.webdriver")
from selenium.common.exceptions import TimeoutException  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import Select, WebDriverWait  # noqa: E402

CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
if not (os.path.exists(CHROMIUM) and os.path.exists(CHROMEDRIVER)):
    pytest.skip("chromium and chromium-driver are not installed", allow_module_level=True)

BUILD = os.environ["NOVAFLUX_BINARY_DIR"]
SOURCE = os.environ["NOVAFLUX_SOURCE_DIR"]
TOOL = os.path.join(BUILD, "bin", "novaflux")
MODES = {"RH": "DBTRH", "WBT": "DBTWBT", "GR": "DBTGR"}


def tool(*args):
    return json.loads(subprocess.run([TOOL, *args], cwd=SOURCE, capture_output=True).stdout)


def example(name):
    with open(os.path.join(SOURCE, "examples", name)) as f:
        return json.load(f)


@pytest.fixture(scope="module")
def page():
    server = subprocess.Popen([TOOL, "serve", "--port", "0"], cwd=SOURCE, stdout=subprocess.PIPE, text=True)
    profile = tempfile.TemporaryDirectory()
    driver = None
    try:
        url = re.search(r"http://\S+/", server.stdout.readline()).group(0)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--user-data-dir=" + profile.name, "--window-size=1400,1000"):
            options.add_argument(flag)
        driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        driver.get(url)
        wait(driver, lambda d: len(Select(d.find_element(By.ID, "model")).options) > 1)
        yield driver
    finally:
        if driver:
            driver.quit()
        server.terminate()
        server.wait(timeout=30)
        profile.cleanup()


def wait(driver, condition, timeout=30):
    return WebDriverWait(driver, timeout).until(condition)


def fill(driver, unit):
    """Types an example's inputs into the form, each into the field named by its property."""
    driver.find_element(By.CSS_SELECTOR, f"#system-{'si' if unit['KivunitSI'] else 'ip'} + span").click()
    for stream, flag in (("OA", "KivinputOAUnit"), ("RA", "KivinputRAUnit")):
        mode = next(m for m, suffix in MODES.items() if unit.get(flag + suffix))
        Select(driver.find_element(By.ID, "mode-" + stream)).select_by_value(mode)
    for select in ("model", "conditions"):
        Select(driver.find_element(By.ID, select)).select_by_value("")
    for name, value in unit.items():
        for field in driver.find_elements(By.CSS_SELECTOR, f'input[name="{name}"]'):
            field.clear()
            field.send_keys(str(value))
    purge = driver.find_element(By.ID, "purge")
    if purge.is_selected() == unit["KivPurgeWithout"]:
        purge.click()


def shown(driver, name):
    return float(driver.find_element(By.CSS_SELECTOR, f'#rating-output [data-property="{name}"]').text)


def rated_model(driver, expected):
    """Waits for the rating view to show `expected` as its model; the model it shows."""
    try:
        wait(driver, lambda d: d.find_elements(By.ID, "result-model") and d.find_element(By.ID, "result-model").text == expected)
    except TimeoutException:
        pass  # the assertion of the caller shows what is there instead
    return driver.find_element(By.ID, "result-model").text


def test_rates_as_the_tool_does(page):
    unit = example("si_design_day.json")
    expected = tool("rate", "examples/si_design_day.json")
    fill(page, unit)
    page.find_element(By.ID, "rate-button").click()
    assert rated_model(page, expected["KivOutNOVAFLUXModel"]) == expected["KivOutNOVAFLUXModel"]
    for name in ("KivoutSaW_DBT", "KivoutSaPDrop", "KivoutEfficiencyWinterSupplyCondensation"):
        assert shown(page, name) == expected[name], name
    frost = [w["code"] for w in expected["warnings"]].count(100)
    assert len(page.find_elements(By.CSS_SELECTOR, "li.warning.frost")) == frost == 1
    page.switch_to.frame(page.find_element(By.ID, "datasheet"))
    sheet = page.find_element(By.TAG_NAME, "body").text
    page.switch_to.default_content()
    assert expected["KivOutNOVAFLUXModel"] in sheet and "Psychrometric chart" in sheet
    assert not page.find_element(By.ID, "download-datasheet").get_attribute("disabled")


def test_ip_switch_comparison_and_a_click_on_a_model(page):
    fill(page, example("si_design_day.json"))
    page.find_element(By.CSS_SELECTOR, "#system-ip + span").click()
    supply = page.find_element(By.NAME, "KivinputSupplyAir")
    assert supply.get_attribute("value") == "5886"  # 10 000 m³/h
    assert supply.find_element(By.XPATH, "following-sibling::span").text == "cfm"

    unit = example("ip_design_day.json")
    fill(page, unit)
    page.refresh()  # the inputs survive a reload
    wait(page, lambda d: len(Select(d.find_element(By.ID, "model")).options) > 1)
    assert page.find_element(By.ID, "system-ip").is_selected()
    assert page.find_element(By.NAME, "KivinputOAS_WBT").get_attribute("value") == str(unit["KivinputOAS_WBT"])

    expected = tool("select", "examples/ip_design_day.json", "--json")
    page.find_element(By.ID, "tab-compare").click()
    page.find_element(By.ID, "compare-button").click()
    rows = wait(page, lambda d: d.find_elements(By.CSS_SELECTOR, "#compare-table tbody tr"))
    names = [r.find_element(By.CSS_SELECTOR, "th .name").text for r in rows]
    assert names == [m["ratings"][0]["result"]["KivOutNOVAFLUXModel"] for m in expected["models"]]
    automatic = page.find_element(By.CSS_SELECTOR, "#compare-table tr.automatic")
    assert automatic.get_attribute("data-model-id") == str(expected["automatic"]["id"])

    chosen = next(m for m in expected["models"] if not m["automatic"])
    fixed = tool("rate", "examples/ip_design_day.json", "--model", str(chosen["id"]))
    page.find_element(By.CSS_SELECTOR, f'#compare-table tr[data-model-id="{chosen["id"]}"]').click()
    assert rated_model(page, fixed["KivOutNOVAFLUXModel"]) == fixed["KivOutNOVAFLUXModel"]
    assert shown(page, "KivoutSaPDrop") == fixed["KivoutSaPDrop"]
    assert shown(page, "KivoutSaVelocity") == fixed["KivoutSaVelocity"]


def test_year_at_a_site(page):
    weather = os.path.join(SOURCE, "examples", "weather", "USA_IL_Chicago-OHare.Intl.AP.725300_TMY3.epw")
    expected = tool("annual", "examples/si_design_day.json", "--weather", weather, "--format", "json",
                    "--price-heat", "0.08", "--price-electricity", "0.25")["year"]
    page.find_element(By.ID, "tab-rating").click()
    fill(page, example("si_design_day.json"))
    page.find_element(By.ID, "tab-year").click()
    page.find_element(By.ID, "weather-file").send_keys(weather)
    for name, value in (("price-heat", "0.08"), ("price-electricity", "0.25")):
        page.find_element(By.ID, name).clear()
        page.find_element(By.ID, name).send_keys(value)
    page.find_element(By.ID, "year-button").click()
    figure = lambda key: int(re.sub(r"[^0-9]", "", wait(page, lambda d: d.find_element(
        By.CSS_SELECTOR, f'#year-output [data-figure="{key}"] .main')).text))
    assert figure("heating") == round(expected["heating"]["total"])
    assert figure("saving") == round(expected["saving"]["net"])
    assert wait(page, lambda d: d.find_element(By.ID, "year-chart")).get_attribute("src").startswith("blob:")
    assert len(page.find_elements(By.CSS_SELECTOR, "#year-output .year-months tbody tr")) == 12


# field, bad value, what the error beside it says (None: the tool's own failure for that input)
BAD_VALUES = [("KivinputAltitude", "40000", None), ("KivinputOAS_DBT", "3o", '"3o" is not a number'),
              ("KivinputReturnAir", "9,000", "comma")]


@pytest.mark.parametrize("field,value,message", BAD_VALUES, ids=[f"{f}={v}" for f, v, _ in BAD_VALUES])
def test_error_beside_the_field(page, field, value, message):
    unit = example("si_design_day.json")
    page.find_element(By.ID, "tab-rating").click()
    fill(page, unit)
    if message is None:
        with tempfile.NamedTemporaryFile("w", suffix=".json") as f:
            json.dump({**unit, field: float(value)}, f)
            f.flush()
            message = tool("rate", f.name)["error"]["description"]
    page.find_element(By.NAME, field).clear()
    page.find_element(By.NAME, field).send_keys(value)
    page.find_element(By.ID, "rate-button").click()
    note = wait(page, lambda d: d.find_elements(By.CSS_SELECTOR, f'.field-error[data-for="{field}"]'))
    assert message in note[0].text
    assert page.find_element(By.NAME, field).get_attribute("aria-invalid") == "true"
