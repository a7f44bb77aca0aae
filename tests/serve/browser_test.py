#!/usr/bin/python3
"""The page of `kdr serve` in headless Chromium: the report list, the written-off listing's form
reacting to its events, a protocol print previewed and downloaded as PDF, and a bad date answered
with the report's own message beside its field.

Usage: browser_test.py KDR SCREENSHOT_FOLDER (run by ctest as serve_browser)."""
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

KDR = SHOTS = None
# Generous: under the sanitizers every form event and run starts an instrumented child.
WAIT_SECONDS = 120


class ServePageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="kdr-browser-")
        database = "sqlite:" + os.path.join(cls.work, "demo.sqlite")
        subprocess.run([KDR, "db", "demo", "--db", database, "--quiet"], check=True)
        cls.server_tmp = os.path.join(cls.work, "tmp")
        os.mkdir(cls.server_tmp)
        cls.server = subprocess.Popen(
            [KDR, "serve", "--port", "0", "--db", database],
            stdout=subprocess.PIPE, text=True, env=dict(os.environ, TMPDIR=cls.server_tmp))
        banner = cls.server.stdout.readline()
        cls.url = re.search(r"http://\S+?/", banner).group(0)

        cls.downloads = os.path.join(cls.work, "downloads")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                         "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync",
                         "--window-size=1400,1100",
                         "--user-data-dir=" + os.path.join(cls.work, "profile")):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {
            "download.default_directory": cls.downloads, "download.prompt_for_download": False})
        cls.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        cls.driver.execute_cdp_cmd("Page.setDownloadBehavior",
                                   {"behavior": "allow", "downloadPath": cls.downloads})
        # The form is rebuilt as answers arrive: an element read a moment ago may be gone.
        cls.wait = WebDriverWait(cls.driver, WAIT_SECONDS,
                                 ignored_exceptions=(StaleElementReferenceException,))
        os.makedirs(SHOTS, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.send_signal(signal.SIGINT)
        status = cls.server.wait(timeout=60)
        leftovers = os.listdir(cls.server_tmp)
        shutil.rmtree(cls.work, ignore_errors=True)
        assert status == 130, f"kdr serve ended with {status}"
        assert not leftovers, f"kdr serve left {leftovers}"

    def field(self, name):
        return self.driver.find_element(By.ID, "field-" + name)

    def open_report(self, name):
        self.driver.get(self.url)
        button = self.wait.until(lambda d: d.find_element(
            By.CSS_SELECTOR, f"#report-list button[data-report='{name}']"))
        button.click()
        self.wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#fields .field"))

    def replace_text(self, name, text):
        box = self.field(name)
        box.send_keys(Keys.CONTROL, "a")
        box.send_keys(Keys.BACKSPACE)
        if text:
            box.send_keys(text)
        box.send_keys(Keys.TAB)

    def test_written_off_listing_form_follows_its_events(self):
        self.open_report("KdrBaixaProtocolo")
        ordering = lambda d: d.execute_script(
            "return Array.from(document.getElementById('field-pOrdenacao').options, o => o.text);")
        self.wait.until(lambda d: len(ordering(d)) == 5)
        Select(self.field("pQuebra")).select_by_value("2")
        self.wait.until(lambda d: ordering(d) == ["Protocolo", "Filial", "Usuário",
                                                  "Data Lançamento"])

        self.replace_text("pItensPro", "1")
        self.wait.until(lambda d: d.execute_script(
            "return document.querySelector('[data-field=pColuna]').classList.contains('required');"))
        self.assertTrue(self.field("pColuna").is_enabled())
        self.replace_text("pItensPro", "")
        self.wait.until(lambda d: not self.field("pColuna").is_enabled())

        self.replace_text("pCodigoEmpresa", "1,,x")
        self.wait.until(lambda d: d.find_element(By.ID, "error-pCodigoEmpresa").text)
        self.driver.save_screenshot(os.path.join(SHOTS, "serve-form.png"))

    def test_protocol_print_previews_and_downloads_as_pdf(self):
        self.open_report("KdrProtocolo")
        self.replace_text("pDataInicial", "01/01/2026")
        self.replace_text("pDataFinal", "31/01/2026")
        self.driver.find_element(By.ID, "run").click()
        self.wait.until(lambda d: d.execute_script(
            "const i = document.getElementById('page-image');"
            "return !document.getElementById('result').hidden && i.complete && i.naturalWidth > 0;"))
        self.assertRegex(self.driver.find_element(By.ID, "page-number").text, r"^Página 1 de \d+")
        self.driver.save_screenshot(os.path.join(SHOTS, "serve-preview.png"))

        self.driver.find_element(By.ID, "download-pdf").click()
        pdfs = self.wait.until(lambda d: glob.glob(os.path.join(self.downloads, "*.pdf")))
        text = subprocess.run(["pdftotext", pdfs[0], "-"], check=True, capture_output=True,
                              text=True).stdout
        self.assertIn("PROTOCOLO DE ENTREGA DE DOCUMENTOS", text)

    def test_bad_date_is_answered_beside_its_field(self):
        self.open_report("KdrProtocolo")
        self.replace_text("pDataInicial", "31/02/2026")
        self.replace_text("pDataFinal", "31/01/2026")
        self.driver.find_element(By.ID, "run").click()
        self.wait.until(lambda d: d.find_element(By.ID, "error-pDataInicial").text
                        == "Data inicial invalida!")


if __name__ == "__main__":
    KDR, SHOTS = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
