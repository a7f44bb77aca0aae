// What each band carries: the layout values, changed labels and current record as they stood
// when the section printed, and the section's elements resolved into drawing items.
#include <cairo.h>
#include <gtest/gtest.h>

#include "Exception.h"
#include "TjClientDataSet.h"
#include "report/ReportTestSupport.h"

namespace {

ElementDefinition ValueLabel(std::string name, std::string value, double left, double top) {
  ElementDefinition label = MakeLabel(std::move(name), left, top, 200, 14);
  label.Value = std::move(value);
  return label;
}

ElementDefinition Image(std::string name, bool picture) {
  ElementDefinition image;
  image.Type = ElementDefinition::Kind::Image;
  image.Name = std::move(name);
  image.Left = 600;
  image.Top = 2;
  image.Width = 120;
  image.Height = 36;
  image.Picture = picture;
  return image;
}

ReportDefinition HeaderLayout() {
  ElementDefinition title = MakeLabel("etiTitulo", 23, 4, 754, 18);
  title.Text = "Protocolo";
  ElementDefinition phone = ValueLabel("etiTelefone", "pTelefone", 23, 22);
  return MakeDefinition(
      {MakeSection(1, 40, {title, phone, Image("Logo", true)}),
       MakeSection(10, 14, {ValueLabel("etiDesc", "pDesc", 23, 0), Image("Assinatura", false)})});
}

std::vector<std::string> Texts(const Band& band) {
  std::vector<std::string> texts;
  for (const DrawItem& item : band.Items) {
    if (const auto* text = std::get_if<TextItem>(&item)) texts.push_back(text->Text);
  }
  return texts;
}

int ImageCount(const Band& band) {
  int count = 0;
  for (const DrawItem& item : band.Items) count += std::holds_alternative<ImageItem>(item);
  return count;
}

// A small real PNG, as a logo read from the database would be.
std::string PngBytes() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 2);
  std::string bytes;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

}  // namespace

TEST(BandValues, OnlyValuesWithTextAsTheyWereWhenTheSectionPrinted) {
  WriterHarness run(HeaderLayout());
  run.Writer->SetLayoutValue("pVcto", "10/04/2026");
  run.Writer->SetLayoutValue("pDesc", "DAS");
  run.Writer->SetLayoutValue("pCompet", "");
  run.Writer->SetLayoutValue("pVal", "1,00");
  run.Writer->SetLayoutValue("pVal", "");  // emptied again: gone from the band
  run.Writer->RepPrintSection(10);
  run.Writer->SetLayoutValue("pDesc", "GPS");
  run.Writer->SetLayoutValue("pVcto", "10/04/2026");  // set again as it was
  run.Writer->RepPrintSection(10);
  // A value first set after its label was drawn without it shows from then on.
  run.Writer->SetLayoutValue("pTelefone", "(41) 3333-4444");
  run.Writer->RepEndOfPage(true);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  const std::vector<Band>& bands = run.Sink.Pages.at(0).Bands;
  ASSERT_EQ(bands.size(), 3u);
  using Values = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(*bands[1].Values, (Values{{"pDesc", "DAS"}, {"pVcto", "10/04/2026"}}));
  EXPECT_EQ(*bands[2].Values, (Values{{"pDesc", "GPS"}, {"pVcto", "10/04/2026"}}));
  EXPECT_EQ(Texts(bands[1]), (std::vector<std::string>{"DAS"}));
  EXPECT_EQ(Texts(bands[0]), (std::vector<std::string>{"Protocolo"}));
  EXPECT_EQ(Texts(run.Sink.Pages.at(1).Bands.at(0)),
            (std::vector<std::string>{"Protocolo", "(41) 3333-4444"}));
  EXPECT_EQ(*run.Sink.Pages.at(1).Bands.at(0).Values,
            (Values{{"pDesc", "GPS"}, {"pTelefone", "(41) 3333-4444"}, {"pVcto", "10/04/2026"}}));
  EXPECT_EQ(run.Writer->GetLayoutValue("pDesc"), "GPS");
  EXPECT_EQ(run.Writer->GetLayoutValue("pNuncaDefinido"), "");
}

TEST(BandElements, OnlyLabelsAndImagesTheRunChanged) {
  WriterHarness run(HeaderLayout());
  run.Writer->RepPrintSection(10);
  run.Writer->LabelByName("etiTelefone")->SetVisible(false);
  run.Writer->ImageByName("Logo")->SetLeft(500);
  run.Writer->RepPrintSection(10);
  run.Writer->LabelByName("etiTelefone")->SetVisible(true);
  run.Writer->RepPrintSection(10);
  run.Writer->ImageByName("Logo")->SetLeft(510);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  const std::vector<Band>& bands = run.Sink.Pages.at(0).Bands;
  ASSERT_EQ(bands.size(), 5u);
  EXPECT_TRUE(bands[1].Elements->empty());
  ASSERT_EQ(bands[2].Elements->size(), 2u);
  const ElementState& logo = (*bands[2].Elements)[0];
  EXPECT_EQ(logo.Name, "Logo");
  EXPECT_TRUE(logo.LeftChanged);
  EXPECT_FALSE(logo.VisibleChanged);
  EXPECT_EQ(logo.Left, 500);
  const ElementState& phone = (*bands[2].Elements)[1];
  EXPECT_EQ(phone.Name, "etiTelefone");
  EXPECT_TRUE(phone.VisibleChanged);
  EXPECT_FALSE(phone.Visible);
  // Shown again, it still counts as changed, now visible.
  ASSERT_EQ(bands[3].Elements->size(), 2u);
  EXPECT_TRUE((*bands[3].Elements)[1].Visible);
  EXPECT_EQ((*bands[3].Elements)[0].Left, 500);
  // Moved again: the bands printed before keep where it stood then.
  EXPECT_EQ((*bands[4].Elements)[0].Left, 510);
  EXPECT_EQ((*bands[2].Elements)[0].Left, 500);
}

TEST(BandItems, LabelsAreDrawnInPageCoordinatesWithTheRunsPlacement) {
  WriterHarness run(HeaderLayout());
  run.Writer->SetLayoutValue("pTelefone", "(41) 3333-4444");
  run.Writer->SetLayoutValue("pDesc", "FGTS");
  run.Writer->RepPrintSection(10);
  TjxsLabel* desc = run.Writer->LabelByName("etiDesc");
  desc->SetLeft(300);
  desc->SetWidth(100);
  run.Writer->LabelByName("etiTelefone")->SetVisible(false);
  run.Writer->RepPrintSection(10);
  run.Writer->RepEndOfPage(true);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  const Page& first = run.Sink.Pages.at(0);
  EXPECT_EQ(Texts(first.Bands[0]), (std::vector<std::string>{"Protocolo", "(41) 3333-4444"}));
  const auto& title = std::get<TextItem>(first.Bands[0].Items[0]);
  EXPECT_DOUBLE_EQ(title.Left, 23);
  EXPECT_DOUBLE_EQ(title.Top, 4);
  EXPECT_DOUBLE_EQ(title.Width, 754);
  const auto& moved = std::get<TextItem>(first.Bands[2].Items.at(0));
  EXPECT_DOUBLE_EQ(moved.Left, 300);
  EXPECT_DOUBLE_EQ(moved.Width, 100);
  EXPECT_DOUBLE_EQ(moved.Top, 54) << "band top 40 + 14, element top 0";
  // The hidden label is left out of the next page's header.
  EXPECT_EQ(Texts(run.Sink.Pages.at(1).Bands[0]), (std::vector<std::string>{"Protocolo"}));
}

TEST(BandItems, ImagesNeedABitmapToBeDrawn) {
  WriterHarness run(HeaderLayout());
  run.Writer->RepPrintSection(10);

  // The logo arrives through the report's picture.
  TMemoryStream stream(PngBytes());
  run.Writer->Picture().LoadFromStream(stream, TGraphicFormat::PNG);
  run.Writer->RepEndOfPage(true);
  run.Writer->RepPrintSection(10);
  // An image given through ImageByName wins over the picture.
  TBitmap signature(TGraphicFormat::PNG, PngBytes(), 4, 2);
  run.Writer->ImageByName("Assinatura")->SetImage(signature);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  ASSERT_EQ(run.Sink.Pages.size(), 2u);
  EXPECT_EQ(ImageCount(run.Sink.Pages[0].Bands[0]), 0) << "no logo yet";
  EXPECT_EQ(ImageCount(run.Sink.Pages[0].Bands[1]), 0) << "no signature yet";
  const Band& header = run.Sink.Pages[1].Bands[0];
  ASSERT_EQ(ImageCount(header), 1);
  const auto& logo = std::get<ImageItem>(header.Items.back());
  EXPECT_EQ(logo.Bitmap.Width(), 4);
  EXPECT_DOUBLE_EQ(logo.Left, 600);
  EXPECT_DOUBLE_EQ(logo.Height, 36);
  EXPECT_EQ(ImageCount(run.Sink.Pages[1].Bands[1]), 0);
  EXPECT_EQ(ImageCount(run.Sink.Pages[1].Bands[2]), 1);
}

TEST(BandFields, CurrentRecordOfTheMainDataSet) {
  TjClientDataSet routes;
  routes.AddFieldDef("CodigoRota", TFieldType::ftInteger);
  routes.AddFieldDef("Observacao", TFieldType::ftString, 60);
  routes.CreateDataSet();
  routes.AppendRecord({Variant(3), Variant("Entregar pela manhã")});
  routes.AppendRecord({Variant(12), Variant()});
  routes.First();

  ElementDefinition code = MakeLabel("", 23, 0, 60, 14);
  code.Field = "CODIGOROTA";
  WriterHarness run(MakeDefinition({MakeSection(10, 14, {code})}), &routes);
  run.Writer->RepPrintSection(10);
  routes.Next();
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  const std::vector<Band>& bands = run.Sink.Pages.at(0).Bands;
  using Fields = std::vector<std::pair<std::string, std::string>>;
  EXPECT_TRUE(bands[0].HasFields);
  EXPECT_EQ(bands[0].Fields, (Fields{{"CODIGOROTA", "3"}, {"OBSERVACAO", "Entregar pela manhã"}}));
  EXPECT_EQ(bands[1].Fields, (Fields{{"CODIGOROTA", "12"}, {"OBSERVACAO", ""}}));
  EXPECT_EQ(Texts(bands[1]), (std::vector<std::string>{"12"}));
}

TEST(BandFields, NoneWithoutAMainDataSet) {
  WriterHarness run(HeaderLayout());
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_FALSE(run.Sink.Pages.at(0).Bands[0].HasFields);
  EXPECT_TRUE(run.Sink.Pages.at(0).Bands[0].Fields.empty());
}

TEST(BandFields, LabelNamingAnAbsentColumnIsAnError) {
  TjClientDataSet data;
  data.AddFieldDef("CODIGOROTA", TFieldType::ftInteger);
  data.CreateDataSet();
  data.AppendRecord({Variant(1)});
  ElementDefinition label = MakeLabel("", 0, 0, 60, 14);
  label.Field = "CODIGOROTAX";
  WriterHarness run(MakeDefinition({MakeSection(10, 14, {label})}), &data);
  try {
    run.Writer->RepPrintSection(10);
    FAIL() << "an absent column was shown as empty";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("CODIGOROTAX"), std::string::npos);
  }
}

TEST(LayoutElementsByName, UnknownNamesAreErrorsThatNameThem) {
  WriterHarness run(HeaderLayout());
  try {
    run.Writer->LabelByName("Etiqueta5");
    FAIL();
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Etiqueta \"Etiqueta5\" não existe no layout do relatório");
  }
  try {
    run.Writer->ImageByName("etiTitulo");  // a label is not an image
    FAIL();
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Imagem \"etiTitulo\" não existe no layout do relatório");
  }
}

TEST(LayoutElementsByName, OneObjectPerNameAcrossEveryLayout) {
  ReportDefinition layout = HeaderLayout();
  layout.Variants.push_back(LayoutVariant{"pOrigem",
                                          "G",
                                          {MakeSection(12, 14,
                                                       {ValueLabel("etiSoNaVariante", "x", 0, 0),
                                                        ValueLabel("etiDesc", "pDesc", 99, 0)})}});
  WriterHarness run(layout);
  TjxsLabel* desc = run.Writer->LabelByName("etiDesc");
  EXPECT_EQ(run.Writer->LabelByName("ETIDESC"), desc);
  EXPECT_EQ(desc->Left(), 23) << "the first element of the name gives its placement";
  EXPECT_EQ(desc->Width(), 200);
  EXPECT_NE(run.Writer->LabelByName("etiSoNaVariante"), nullptr);
  EXPECT_FALSE(desc->AnyChanged());
}
