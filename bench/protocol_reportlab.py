#!/usr/bin/python3
"""The protocol print of the demo office drawn with a plain ReportLab canvas: the yardstick
kdr_bench_protocol measures `kdr run KdrProtocolo` against.

It does the work the report does, honestly and no more: the same item statement through
sqlite3, the same descending print order, per block the establishment's configuration and
address (the address statement run again only when the establishment changes), the logo,
descriptions wrapped to the description column with the font's metrics, two blocks to an
A4 page in the large layout (header, headings, twelve item rows, footer), Liberation Sans
embedded, compressed page content.

Usage: /usr/bin/python3 protocol_reportlab.py DATABASE.sqlite OUTPUT.pdf
       [--from 2026-01-01] [--to 2026-12-31] [--logo-company 1]
(Debian's python3-reportlab serves /usr/bin/python3.)
"""

import argparse
import sqlite3

from reportlab.lib.utils import ImageReader, simpleSplit
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.pdfgen import canvas

FONT_FOLDER = "/usr/share/fonts/truetype/liberation2/"
REGULAR, BOLD = "LiberationSans", "LiberationSans-Bold"

# Layout units are 1/96 inch, as in reports/KdrProtocolo.json.
PT = 72.0 / 96.0
PAGE_W, PAGE_H = 794, 1123
TOP, BOTTOM = 38, 1123 - 38
HEADER_H, TITLE_H, HEADINGS_H, ROW_H, FOOTER_H, GAP_H = 106, 20, 18, 22, 85, 12
CAPACITY = 13  # rows of a block, the header counting as one
UNWRAPPED = 70  # descriptions up to this length (with a line break) are not re-flowed
DESC_W = 525

ITEMS = (
    "select I.CODIGOPROTOCOLO ,I.SEQITEMPRO ,I.DESCRITEM ,I.DATALCTOPRO ,I.VENCIMENTO ,I.VALOR "
    ",I.CODIGOIMPOSTO ,I.VARIACAOIMPOSTO ,I.CODIGODOCEMP ,I.CodigoFuncContr ,I.CANCELADO "
    ",I.CHAVEORIGEM ,I.COMPETENCIA ,P.CODIGOEMPRESA ,P.CODIGOESTAB ,P.TIPOPRO ,P.OBSERVACAO "
    ",P.DATAHORACADASTRO ,P.CODIGOUSUARIO ,P.FORMAENTREGA ,P.NATUREZAPRO ,P.DATAHORAENTREGA "
    ",P.CODIGOUSUARIOINT ,P.USUARIOEXT ,P.DATAHORABAIXA from PROTOCOLOITEM I join PROTOCOLO P on "
    "I.CODIGOPROTOCOLO = P.CODIGOPROTOCOLO where P.DATAHORABAIXA is null and P.DATALCTOPRO "
    "between ? and ? and I.CANCELADO = '0' "
    "order by P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB")
CONFIG = "select MESMOENDERECOENT from CFGESTABPRO where CODIGOEMPRESA = ? and CODIGOESTAB = ?"
ESTAB = (
    "select F.CODIGOEMPRESA ,F.CODIGOESTAB ,F.TIPOINSCR ,F.INSCRFEDERAL ,TL.DESCRTIPOLOGRAD "
    ",F.ENDERECOESTAB ,F.NUMENDERESTAB ,F.COMPLENDERESTAB ,F.BAIRROENDERESTAB ,F.DDDFONE "
    ",F.NUMEROFONE ,F.SIGLAESTADO ,F.NOMEESTAB ,M.NOMEMUNIC from ESTAB F join MUNICIPIO M on "
    "M.SIGLAESTADO = F.SIGLAESTADO and M.CODIGOMUNIC = F.CODIGOMUNIC join TIPOLOGRADOURO TL "
    "on TL.CODIGOTIPOLOGRAD = F.CODIGOTIPOLOGRAD where F.CODIGOEMPRESA = ? and F.CODIGOESTAB = ?")
DELIVERY = (
    "select T.CODIGOEMPRESA ,T.CODIGOESTAB ,F.TIPOINSCR ,F.INSCRFEDERAL ,T.LOGRADENTREGA "
    ",T.ENDERECOENTREGA ,T.NUMENDERENTREGA ,T.COMPLENDERENTREGA ,T.BAIRROENDERENTREGA ,F.DDDFONE "
    ",F.NUMEROFONE ,T.SIGLAESTADO ,F.NOMEESTAB ,M.NOMEMUNIC from ESTABENTREGA T join ESTAB F on "
    "F.CODIGOEMPRESA = T.CODIGOEMPRESA and F.CODIGOESTAB = T.CODIGOESTAB join MUNICIPIO M on "
    "M.SIGLAESTADO = T.SIGLAESTADO and M.CODIGOMUNIC = T.CODIGOMUNIC where T.CODIGOEMPRESA = ? "
    "and T.CODIGOESTAB = ?")
LOGO = "select LOGOTIPOEMPRESA from EMPRESA where CODIGOEMPRESA = ?"


def text(value):
    return "" if value is None else str(value)


def date_text(iso):
    return "" if not iso else f"{iso[8:10]}/{iso[5:7]}/{iso[0:4]}"


def compet_text(iso):
    return "" if not iso else f"{iso[5:7]}/{iso[0:4]}"


def money(value):
    return f"{float(value or 0):,.2f}".replace(",", "_").replace(".", ",").replace("_", ".")


def registration(kind, number):
    digits = "".join(c for c in text(number) if c.isdigit())
    if not digits:
        return ""
    if kind == 1:
        d = digits.zfill(14)
        return f"{d[0:2]}.{d[2:5]}.{d[5:8]}/{d[8:12]}-{d[12:14]}"
    if kind == 3:
        d = digits.zfill(12)
        return f"{d[0:2]}.{d[2:5]}.{d[5:10]}/{d[10:12]}"
    d = digits.zfill(11)
    return f"{d[0:3]}.{d[3:6]}.{d[6:9]}-{d[9:11]}"


class Printer:
    def __init__(self, database, output, logo_company):
        for name, file in ((REGULAR, "LiberationSans-Regular.ttf"),
                           (BOLD, "LiberationSans-Bold.ttf")):
            pdfmetrics.registerFont(TTFont(name, FONT_FOLDER + file))
        self.db = database
        self.c = canvas.Canvas(output, pagesize=(PAGE_W * PT, PAGE_H * PT), pageCompression=1,
                               invariant=1)
        self.c.setTitle("Protocolo de entrega de documentos")
        self.c.setAuthor("Escritório")
        self.logo = None
        row = database.execute(LOGO, (logo_company,)).fetchone() if logo_company else None
        if row and row[0]:
            import io
            self.logo = ImageReader(io.BytesIO(row[0]))
        self.estab_key, self.estab = None, None
        self.cursor = TOP
        self.page_open = False

    # Drawing in layout units from the top left corner.
    def label(self, left, top, width, value, font=REGULAR, size=9, align="left"):
        if not value:
            return
        self.c.setFont(font, size)
        y = (PAGE_H - (self.cursor + top) - size * 1.15 / PT) * PT + size * 0.25
        if align == "center":
            self.c.drawCentredString((left + width / 2) * PT, y, value)
        elif align == "right":
            self.c.drawRightString((left + width) * PT, y, value)
        else:
            self.c.drawString(left * PT, y, value)

    def line(self, left, top, width, thickness):
        self.c.setLineWidth(thickness * PT)
        y = (PAGE_H - (self.cursor + top)) * PT
        self.c.line(left * PT, y, (left + width) * PT, y)

    def establishment(self, company, estab):
        config = self.db.execute(CONFIG, (company, estab)).fetchone()
        same_address = not config or not text(config[0]).strip() or text(config[0]).strip() == "1"
        if self.estab_key != (company, estab):
            row = None if same_address else self.db.execute(DELIVERY, (company, estab)).fetchone()
            if row is None:
                row = self.db.execute(ESTAB, (company, estab)).fetchone()
            self.estab_key, self.estab = (company, estab), row
        return self.estab

    def header(self, item):
        if self.cursor + HEADER_H + TITLE_H + HEADINGS_H > BOTTOM:
            self.end_page()
        self.page_open = True
        e = self.establishment(item["empresa"], item["estab"])
        left = 202 if self.logo else 23
        if self.logo:
            self.c.drawImage(self.logo, 23 * PT, (PAGE_H - self.cursor - 2 - 48) * PT,
                             width=176 * PT, height=48 * PT, preserveAspectRatio=True,
                             anchor="nw")
        self.label(left, 4, 575 if self.logo else 754, "PROTOCOLO DE ENTREGA DE DOCUMENTOS",
                   BOLD, 14, "center")
        self.label(left, 28, 575, f"Protocolo: {item['protocolo']:05d} - {item['descr']}", BOLD,
                   10)
        if e:
            self.label(left, 45, 575, text(e[12]), BOLD, 10)
            self.label(left, 61, 575, registration(e[2], e[3]))
            self.label(left, 75, 575, f"{text(e[4])} {text(e[5])} {text(e[6])} {text(e[7])}, "
                       f"{text(e[8])} - {text(e[13])} {text(e[11])}")
            if text(e[10]).strip():
                self.label(left, 89, 575, f"{text(e[9])} {text(e[10])}".strip())
        self.line(23, 104, 754, 1.5)
        self.cursor += HEADER_H
        self.label(23, 4, 400, "Documentos e guias entregues", BOLD, 10)
        self.cursor += TITLE_H
        self.label(27, 3, 525, "Descrição", BOLD, 8)
        self.label(555, 3, 70, "Competência", BOLD, 8, "center")
        self.label(628, 3, 66, "Vencimento", BOLD, 8, "center")
        self.label(697, 3, 80, "Valor (R$)", BOLD, 8, "right")
        self.line(23, 17, 754, 0.5)
        self.cursor += HEADINGS_H

    def row(self, desc="", compet="", vcto="", valor=""):
        if self.cursor + ROW_H > BOTTOM:
            self.end_page()
        self.label(27, 4, 525, desc)
        self.label(555, 4, 70, compet, align="center")
        self.label(628, 4, 66, vcto, align="center")
        self.label(697, 4, 80, valor, align="right")
        self.cursor += ROW_H

    def footer(self, escrit, cliente):
        self.label(23, 6, 400, "Recebi os documentos e guias relacionados acima.")
        self.label(23, 27, 70, "Entregue por:", size=8)
        self.label(95, 26, 300, escrit)
        self.line(95, 40, 300, 0.5)
        self.label(23, 54, 300, "Data do recebimento: ____/____/________")
        self.line(527, 66, 250, 0.5)
        self.label(527, 68, 250, cliente, size=7, align="center")
        self.line(23, 83, 754, 1)
        self.cursor += FOOTER_H

    def end_page(self):
        self.c.showPage()
        self.cursor = TOP
        self.page_open = False

    def wrap(self, desc):
        if len(desc) + 1 <= UNWRAPPED:
            return [desc]
        return simpleSplit(desc, REGULAR, 9, DESC_W * PT) or [""]

    @staticmethod
    def fits(item_lines, lines):
        return not ((item_lines > 3 and lines > 8) or (item_lines > 2 and lines > 9))

    def run(self, items):
        blocks, lines, last = 0, 0, None
        i = 0
        while i < len(items):
            item = items[i]
            if last is None or item["protocolo"] != last["protocolo"] or \
                    item["seq"] != last["seq"]:
                self.header(item)
                lines = 1
            wrapped = self.wrap(item["desc"])
            if not self.fits(len(wrapped), lines):
                lines, blocks = self.close_block(lines, blocks, items, i)
                last = None
                continue
            for part in wrapped[:-1]:
                self.row(part)
                lines += 1
            self.row(wrapped[-1], compet_text(item["compet"]), date_text(item["vcto"]),
                     money(item["valor"]))
            lines += 1
            last = item
            i += 1
            nxt = items[i] if i < len(items) else None
            if nxt is None or nxt["protocolo"] != last["protocolo"] or \
                    nxt["seq"] != last["seq"] or lines >= CAPACITY:
                lines, blocks = self.close_block(lines, blocks, items, i)
                last = None
        if self.page_open:
            self.c.showPage()
        self.c.save()

    def close_block(self, lines, blocks, items, i):
        while lines < CAPACITY:
            self.row()
            lines += 1
        self.footer("", "Assinatura do cliente")
        blocks += 1
        if blocks == 2:
            self.end_page()
            blocks = 0
        elif i < len(items):
            self.cursor += GAP_H
        return 1, blocks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("database")
    parser.add_argument("output")
    parser.add_argument("--from", dest="start", default="2026-01-01")
    parser.add_argument("--to", dest="end", default="2026-12-31")
    parser.add_argument("--logo-company", type=int, default=1)
    args = parser.parse_args()

    database = sqlite3.connect(f"file:{args.database}?mode=ro", uri=True)
    items = []
    for r in database.execute(ITEMS, (args.start, args.end)):
        items.append({"protocolo": int(r[0]), "seqitem": r[1], "desc": text(r[2])[:500],
                      "vcto": text(r[4])[:10], "valor": r[5], "compet": text(r[12])[:10],
                      "empresa": r[13], "estab": r[14], "descr": text(r[16])[:100], "seq": 1})
    # The report's order: every key descending.
    items.sort(key=lambda t: (t["protocolo"], t["seq"], t["seqitem"], t["empresa"], t["estab"],
                              t["vcto"]), reverse=True)
    Printer(database, args.output, args.logo_company).run(items)
    print(f"{len(items)} itens")


if __name__ == "__main__":
    main()
