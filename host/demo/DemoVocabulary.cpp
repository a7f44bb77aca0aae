#include "demo/DemoVocabulary.h"

namespace demo {

// The office works in Curitiba: the cities of Paraná come first and are drawn more often.
const std::vector<City> kCities = {
    {"PR", 4106902, "Curitiba", "41"},      {"PR", 4125506, "São José dos Pinhais", "41"},
    {"PR", 4105805, "Colombo", "41"},       {"PR", 4113700, "Londrina", "43"},
    {"PR", 4115200, "Maringá", "44"},       {"PR", 4119905, "Ponta Grossa", "42"},
    {"PR", 4104808, "Cascavel", "45"},      {"PR", 4108304, "Foz do Iguaçu", "45"},
    {"PR", 4109401, "Guarapuava", "42"},    {"PR", 4118501, "Pato Branco", "46"},
    {"SP", 3550308, "São Paulo", "11"},     {"SP", 3509502, "Campinas", "19"},
    {"SP", 3548500, "Santos", "13"},        {"SP", 3543402, "Ribeirão Preto", "16"},
    {"SP", 3552205, "Sorocaba", "15"},      {"SP", 3549904, "São José dos Campos", "12"},
    {"SC", 4205407, "Florianópolis", "48"}, {"SC", 4209102, "Joinville", "47"},
    {"SC", 4202404, "Blumenau", "47"},      {"SC", 4204202, "Chapecó", "49"},
    {"RS", 4314902, "Porto Alegre", "51"},  {"RS", 4305108, "Caxias do Sul", "54"},
    {"RS", 4314407, "Pelotas", "53"},       {"RJ", 3304557, "Rio de Janeiro", "21"},
    {"RJ", 3303302, "Niterói", "21"},       {"MG", 3106200, "Belo Horizonte", "31"},
    {"MG", 3170206, "Uberlândia", "34"},    {"MG", 3136702, "Juiz de Fora", "32"},
    {"BA", 2927408, "Salvador", "71"},      {"PE", 2611606, "Recife", "81"},
    {"CE", 2304400, "Fortaleza", "85"},     {"DF", 5300108, "Brasília", "61"},
    {"GO", 5208707, "Goiânia", "62"},       {"MS", 5002704, "Campo Grande", "67"},
    {"MT", 5103403, "Cuiabá", "65"},        {"ES", 3205309, "Vitória", "27"},
    {"PA", 1501402, "Belém", "91"},         {"AM", 1302603, "Manaus", "92"},
    {"MA", 2111300, "São Luís", "98"},      {"RN", 2408102, "Natal", "84"},
    {"PB", 2507507, "João Pessoa", "83"},   {"AL", 2704302, "Maceió", "82"},
    {"SE", 2800308, "Aracaju", "79"},       {"PI", 2211001, "Teresina", "86"},
};

const std::vector<StreetType> kStreetTypes = {
    {1, "Rua", 60},    {2, "Avenida", 20}, {3, "Travessa", 4}, {4, "Alameda", 5},  {5, "Praça", 2},
    {6, "Rodovia", 3}, {7, "Estrada", 2},  {8, "Largo", 1},    {9, "Servidão", 1}, {10, "Via", 1},
};

const std::vector<const char*> kStreetNames = {
    "XV de Novembro",
    "Marechal Deodoro",
    "Sete de Setembro",
    "das Flores",
    "Brasil",
    "Getúlio Vargas",
    "Presidente Kennedy",
    "Dom Pedro II",
    "Barão do Rio Branco",
    "Tiradentes",
    "Santos Dumont",
    "João Negrão",
    "Visconde de Guarapuava",
    "das Palmeiras",
    "Paulista",
    "Afonso Pena",
    "Duque de Caxias",
    "Rui Barbosa",
    "José Bonifácio",
    "Coronel Dulcídio",
    "Anita Garibaldi",
    "Cândido de Abreu",
    "Vicente Machado",
    "Padre Anchieta",
    "Professor Pedro Viriato Parigot de Souza",
    "dos Pioneiros",
    "São Francisco",
    "Ipiranga",
    "dos Bandeirantes",
    "Amazonas",
    "Comendador Araújo",
    "Iguaçu",
};

const std::vector<const char*> kDistricts = {
    "Centro",
    "Batel",
    "Água Verde",
    "Jardim América",
    "Vila Nova",
    "Boa Vista",
    "São Francisco",
    "Bela Vista",
    "Portão",
    "Cidade Industrial",
    "Jardim das Américas",
    "Santa Felicidade",
    "Alto da XV",
    "Cristo Rei",
    "Jardim Botânico",
    "Rebouças",
    "Mercês",
    "Bigorrilho",
    "Hauer",
    "Boqueirão",
};

const std::vector<const char*> kComplements = {
    "Sala 3", "Sala 1204", "Loja 2", "Bloco B", "Conjunto 51", "Galpão 4",
    "Térreo", "7º andar",  "Fundos", "Apto 32", "Km 12",       "Sobreloja",
};

const std::vector<const char*> kActivities = {
    "Padaria e Confeitaria",
    "Comércio de Materiais de Construção",
    "Auto Peças",
    "Farmácia",
    "Transportes",
    "Construtora",
    "Clínica Odontológica",
    "Restaurante",
    "Mercado",
    "Indústria Metalúrgica",
    "Distribuidora de Bebidas",
    "Papelaria",
    "Oficina Mecânica",
    "Academia",
    "Escola de Idiomas",
    "Imobiliária",
    "Consultoria em Informática",
    "Laboratório de Análises Clínicas",
    "Comércio de Roupas",
    "Agropecuária",
    "Serralheria",
    "Hotel",
    "Móveis",
    "Ótica",
    "Pet Shop",
};

const std::vector<const char*> kFantasyNames = {
    "São Jorge",      "Boa Vista",   "Horizonte",   "Três Irmãos", "Pinheiro",    "Araucária",
    "Estrela do Sul", "Bom Jesus",   "Nova Era",    "Santa Clara", "Ipê Amarelo", "Vale Verde",
    "Cruzeiro",       "Aliança",     "Primavera",   "Paraná",      "Iguaçu",      "Bandeirantes",
    "Sol Nascente",   "Ouro Branco", "Dois Irmãos", "Rio Branco",  "Santa Fé",    "Monte Alegre",
    "Pioneira",       "Imperial",    "Central",     "Gaúcha",      "Litoral",     "Serra Azul",
};

const std::vector<const char*> kLegalSuffixes = {
    "Ltda", "Ltda", "Ltda", "Ltda - ME", "Ltda - EPP", "EIRELI", "S.A.", "ME",
};

const std::vector<const char*> kBranchNicknames = {
    "Filial Centro",
    "Filial Shopping",
    "Depósito",
    "Loja 2",
    "Filial Norte",
    "Filial Sul",
    "Centro de Distribuição",
    "Posto de Atendimento",
    "Unidade Industrial",
};

const std::vector<const char*> kFirstNames = {
    "Ana",     "Antônio",  "Beatriz", "Bruno",  "Camila",  "Carlos",  "Cláudia",  "Daniel",
    "Eduardo", "Fernanda", "Gabriel", "Helena", "Igor",    "Juliana", "José",     "Larissa",
    "Luís",    "Marcos",   "Maria",   "Márcia", "Natália", "Otávio",  "Patrícia", "Paulo",
    "Renata",  "Rodrigo",  "Sandra",  "Sérgio", "Tatiane", "Valdir",  "Vanessa",  "Wagner",
};

const std::vector<const char*> kLastNames = {
    "Silva",    "Santos",     "Oliveira", "Souza",     "Rodrigues", "Ferreira", "Alves",
    "Pereira",  "Lima",       "Gomes",    "Costa",     "Ribeiro",   "Martins",  "Carvalho",
    "Almeida",  "Lopes",      "Soares",   "Fernandes", "Vieira",    "Barbosa",  "Rocha",
    "Dias",     "Nascimento", "Andrade",  "Moreira",   "Nunes",     "Marques",  "Machado",
    "Mendes",   "Freitas",    "Cardoso",  "Ramos",     "Gonçalves", "Araújo",   "Teixeira",
    "Kowalski", "Schmidt",    "Zanetti",
};

const std::vector<const char*> kReceiverRoles = {
    "", "", " (recepção)", " (financeiro)", " (sócio)", " (gerente)", " (portaria)",
};

const std::vector<NamedCode> kUsers = {
    {1, "admin", "Administrador do Sistema"},
    {2, "ana.souza", "Ana Paula de Souza"},
    {3, "carlos.lima", "Carlos Eduardo Lima"},
    {4, "fernanda.ribeiro", "Fernanda Gonçalves Ribeiro"},
    {5, "joao.araujo", "João Pedro Araújo"},
    {6, "marcia.fontoura", "Márcia Helena Fontoura"},
    {7, "roberto.vieira", "Roberto Carlos Vieira"},
    {8, "tatiane.moraes", "Tatiane Cristina Moraes"},
    {9, "lucia.andrade", "Lúcia Ferreira de Andrade"},
};

const std::vector<NamedCode> kDepartments = {
    {1, "Fiscal", nullptr},
    {2, "Contábil", nullptr},
    {3, "Departamento Pessoal", nullptr},
    {4, "Societário e Legalização", nullptr},
    {5, "Recepção", nullptr},
    {6, "Arquivo", nullptr},
    {7, "Financeiro", nullptr},
};

const std::vector<const char*> kMonthNames = {
    "janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
    "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro",
};

const std::vector<ItemKind> kItemKinds = {
    {1, 1, "DAS - Simples Nacional - competência %c", 20, true, 15000, 4500000},
    {1, 2, "DARF IRPJ - Lucro Presumido (2089) - competência %c", 31, true, 80000, 12000000},
    {1, 3, "DARF CSLL (2372) - competência %c", 31, true, 40000, 6000000},
    {1, 4, "DARF PIS (8109) - competência %c", 25, true, 5000, 900000},
    {1, 5, "DARF COFINS (2172) - competência %c", 25, true, 20000, 4000000},
    {1, 6, "ISS - Imposto sobre serviços - competência %c", 10, true, 8000, 1500000},
    {1, 7, "ICMS - apuração mensal - competência %c", 12, true, 30000, 25000000},
    {1, 8, "Parcelamento do Simples Nacional - parcela de %c", 31, true, 20000, 300000},
    {1, 9, "Taxa de fiscalização de funcionamento 2026", 31, false, 9000, 85000},
    {2, 10, "GPS - INSS (2100) - competência %c", 20, true, 30000, 9000000},
    {2, 11, "FGTS Digital - guia mensal - competência %c", 20, true, 10000, 3000000},
    {2, 12, "DARF IRRF sobre salários (0561) - competência %c", 20, true, 5000, 2000000},
    {2, 13, "DCTFWeb - DARF de contribuições previdenciárias - competência %c", 20, true, 30000,
     9000000},
    {2, 0, "Folha de pagamento - competência %c", 5, true, 300000, 48000000},
    {2, 0, "Recibos de pagamento de salário (holerites) - %c", 0, true, 0, 0},
    {2, 0, "Recibo de pró-labore dos sócios - %c", 5, true, 151800, 2000000},
    {2, 0, "Aviso e recibo de férias", 0, false, 0, 0},
    {2, 0, "Termo de rescisão do contrato de trabalho", 10, false, 100000, 3000000},
    {3, 0, "Recibo de entrega da DCTFWeb - competência %c", 0, true, 0, 0},
    {3, 0, "Recibo de entrega da DCTF - competência %c", 0, true, 0, 0},
    {3, 0, "Recibo de entrega da EFD-Reinf - competência %c", 0, true, 0, 0},
    {3, 0, "Recibo de entrega da EFD ICMS/IPI (SPED Fiscal) - competência %c", 0, true, 0, 0},
    {3, 0, "Recibo de entrega da EFD-Contribuições - competência %c", 0, true, 0, 0},
    {3, 0, "Balancete de verificação - %c", 0, true, 0, 0},
    {3, 0, "Demonstração do resultado - %c", 0, true, 0, 0},
    {3, 0, "Recibo de entrega da DEFIS - ano-calendário 2025", 0, false, 0, 0},
    {3, 0, "Livro de apuração do ISS - %c", 0, true, 0, 0},
    {4, 0, "Certidão negativa de débitos federais (CND)", 0, false, 0, 0},
    {4, 0, "Certificado de regularidade do FGTS (CRF)", 0, false, 0, 0},
    {4, 0, "Certidão negativa de débitos municipais", 0, false, 0, 0},
    {4, 0, "Alvará de funcionamento 2026", 0, false, 0, 0},
    {4, 0, "Contrato social - alteração para assinatura dos sócios", 0, false, 0, 0},
    {4, 0, "Procuração eletrônica do e-CAC", 0, false, 0, 0},
    {4, 14, "Taxa de renovação do alvará 2026", 31, false, 15000, 120000},
    {4, 0, "Notas fiscais de entrada devolvidas após lançamento - %c", 0, true, 0, 0},
    {4, 0, "Extratos bancários conferidos - %c", 0, true, 0, 0},
    {4, 15, "Honorários contábeis - boleto - %c", 10, true, 50000, 600000},
};

const std::vector<const char*> kItemDetails = {
    "Pagamento até o vencimento para evitar multa de 0,33% ao dia e juros pela taxa Selic; "
    "após o vencimento solicite ao escritório a guia recalculada.",
    "Valor apurado sobre o faturamento informado pelo cliente até o dia 5; havendo notas "
    "fiscais canceladas ou não enviadas, comunique o escritório antes de pagar.",
    "Guia emitida com base na folha de pagamento fechada com o departamento pessoal, incluindo "
    "horas extras, adicional noturno e descontos de faltas.",
    "Conferir os dados bancários e o código de barras antes do pagamento; o comprovante deve ser "
    "enviado ao escritório para baixa e arquivamento.",
    "Documento assinado digitalmente; manter cópia arquivada por no mínimo cinco anos para "
    "eventual fiscalização da Receita Federal do Brasil.",
};

const std::vector<const char*> kItemSecondLines = {
    "Pagar até o vencimento",
    "Conferir antes de assinar",
    "Pagamento em cota única",
    "Segunda via: a primeira foi extraviada",
    "Valor recalculado com multa e juros",
    "Devolver assinado ao escritório",
};

const std::vector<const char*> kProtocolTitles[4] = {
    {"Guias de %m", "Impostos de %m", "Guias de impostos - %m", "Guias federais e municipais de %m",
     "Simples Nacional - %m", "Guias de %m para pagamento"},
    {"Folha de pagamento de %m", "Departamento pessoal - %m", "Encargos da folha de %m",
     "Folha e pró-labore de %m"},
    {"Obrigações acessórias de %m", "Recibos de entrega - %m", "Balancete de %m",
     "Documentos contábeis de %m"},
    {"Documentos para assinatura", "Certidões negativas", "Documentos diversos",
     "Alteração contratual", "Devolução de documentos"},
};

const std::vector<const char*> kRouteNotes = {
    "Entregar na portaria ao Sr. Valdir",  "Procurar a Sra. Márcia no financeiro",
    "Horário de entrega: das 8h às 12h",   "Fechado para almoço das 12h às 13h30",
    "Deixar com a recepção do condomínio", "Ligar antes de ir: o escritório mudou de andar",
    "Entrada pelos fundos, portão azul",   "Não entregar às sextas-feiras",
};

const std::vector<const char*> kDocumentNames = {
    "Contrato social consolidado",
    "Livro Diário 2025 para assinatura",
    "Certificado digital e-CNPJ A1",
    "Procuração pública",
    "Balanço patrimonial 2025",
    "Livro de registro de empregados",
    "Notas fiscais de entrada do 1º trimestre",
    "Extratos bancários de 2025",
    "Escritura do imóvel da sede",
    "Documentos pessoais dos sócios",
    "Carteiras de trabalho para anotação",
    "Alvará e licença sanitária",
    "Contrato de locação do imóvel",
};

const std::vector<const char*> kInternalMoveNotes = {
    "Recebido na recepção",          "Encaminhado para conferência",
    "Em análise pelo departamento",  "Lançamentos concluídos",
    "Arquivado na pasta do cliente", "Aguardando assinatura do responsável",
};

const std::vector<const char*> kExternalMoveNotes = {
    "Enviado ao cartório para reconhecimento de firma",
    "Protocolado na Junta Comercial",
    "Devolvido ao cliente",
    "Enviado à prefeitura",
    "Retirado pelo sócio",
    "Enviado ao banco para abertura de conta",
};

const std::vector<std::uint32_t> kLogoColours = {
    0x1F4E79, 0xC0392B, 0x1E8449, 0x8E44AD, 0xD35400, 0x16A085,
    0x2C3E50, 0xB7950B, 0x7B241C, 0x117A65, 0x2E86C1, 0x884EA0,
};

}  // namespace demo
