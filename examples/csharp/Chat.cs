// A conversation through llmbridge from C#, with P/Invoke and the UTF-16 exports.
//
//     mcs Chat.cs && mono Chat.exe [--server HOST:PORT] [--key KEY] [--model NAME]      (Mono)
//     csc Chat.cs && Chat.exe ...                                                       (.NET on Windows)
//
// The library is loaded as "llmbridge": llmbridge.dll beside the program on Windows,
// libllmbridge.so on the library path (LD_LIBRARY_PATH) elsewhere. The library keeps the
// conversation between calls, so the second question can refer to the first; NewChat starts a new
// one. The exports ending in W take and return UTF-16, which is what a .NET string holds, so any
// language and any emoji arrive intact. The last turn is a live one: StartLive returns at once and
// the reply is polled as it streams in, as a timer in a host's window would.
using System;
using System.Runtime.InteropServices;
using System.Text;

static class Llmbridge
{
    const string Library = "llmbridge";

    // Results are declared IntPtr, not string: for a string result the marshaller frees the
    // returned buffer, which belongs to the library, and the host crashes. Text() copies it instead.
    // CharSet.Unicode passes every string as UTF-16 (LPWStr), on Windows and under Mono alike.
    // StdCall is what 32-bit Windows needs; 64-bit Windows and Linux ignore it.
    [DllImport(Library, EntryPoint = "chatW", CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Unicode)]
    static extern IntPtr ChatExport(string server, string key, string prompt, string maxTokens,
                                    string model, string temperature, string showWindow);

    [DllImport(Library, EntryPoint = "getmodelsW", CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Unicode)]
    static extern IntPtr GetModelsExport(string server, string key);

    [DllImport(Library, EntryPoint = "checkdllversionW", CallingConvention = CallingConvention.StdCall)]
    static extern IntPtr CheckDllVersionExport();

    [DllImport(Library, EntryPoint = "newchat", CallingConvention = CallingConvention.StdCall)]
    static extern int NewChatExport();

    [DllImport(Library, EntryPoint = "chatstartW", CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Unicode)]
    static extern int ChatStartExport(string server, string key, string prompt, string maxTokens,
                                      string model, string temperature);

    [DllImport(Library, EntryPoint = "chatstatus", CallingConvention = CallingConvention.StdCall)]
    static extern int ChatStatusExport();

    // The poll's text is the library's only until the next poll: Text() copies it at once.
    [DllImport(Library, EntryPoint = "chatpollW", CallingConvention = CallingConvention.StdCall)]
    static extern IntPtr ChatPollExport();

    // Copies a UTF-16 result into a managed string.
    static string Text(IntPtr result) => Marshal.PtrToStringUni(result) ?? "";

    public static string Chat(string server, string key, string prompt, int maxTokens, string model,
                              double temperature) =>
        Text(ChatExport(server, key, prompt, maxTokens.ToString(),
                        model, temperature.ToString(System.Globalization.CultureInfo.InvariantCulture),
                        "false"));

    public static string[] Models(string server, string key)
    {
        string list = Text(GetModelsExport(server, key));
        return list.Length == 0 ? new string[0] : list.Split('\r');
    }

    public static string Version() => Text(CheckDllVersionExport());

    public static void NewChat() => NewChatExport();

    public const int Running = 1;

    public static bool StartLive(string server, string key, string prompt, int maxTokens,
                                 string model, double temperature) =>
        ChatStartExport(server, key, prompt, maxTokens.ToString(), model,
                        temperature.ToString(System.Globalization.CultureInfo.InvariantCulture)) == 1;

    public static int LiveStatus() => ChatStatusExport();

    public static string Poll() => Text(ChatPollExport());

    public static bool IsError(string reply) =>
        reply == "Request Failed" || reply.StartsWith("Api Error code: ", StringComparison.Ordinal);
}

static class Program
{
    static int Main(string[] args)
    {
        string server = "127.0.0.1:8080", key = "sk-mock", model = "mock-small";
        for (int i = 0; i < args.Length; i += 2)
        {
            if (i + 1 == args.Length)
            {
                Console.Error.WriteLine("option " + args[i] + " needs a value");
                return 2;
            }
            switch (args[i])
            {
                case "--server": server = args[i + 1]; break;
                case "--key": key = args[i + 1]; break;
                case "--model": model = args[i + 1]; break;
                default: Console.Error.WriteLine("unknown option " + args[i]); return 2;
            }
        }

        // Replies may hold any character; write them as UTF-8 whatever the console's setting.
        Console.OutputEncoding = new UTF8Encoding(false);
        Console.WriteLine("llmbridge " + Llmbridge.Version());
        string[] models = Llmbridge.Models(server, key);
        Console.WriteLine("models: " + (models.Length > 0 ? string.Join(", ", models) : "(none)"));

        string[][] conversations = {
            new[] { "What is the capital of France?", "And what did I ask you first?" },
            new[] { "\u4e2d\u6587 \u041f\u0440\u0438\u0432\u0435\u0442 \U0001F600 e\u0301" },
        };
        for (int number = 0; number < conversations.Length; number++)
        {
            if (number > 0)
            {
                Llmbridge.NewChat();
                Console.WriteLine("(new conversation)");
            }
            foreach (string question in conversations[number])
            {
                Console.WriteLine("you> " + question);
                string reply = Llmbridge.Chat(server, key, question, 200, model, 0.7);
                if (Llmbridge.IsError(reply))
                {
                    Console.Error.WriteLine("error: " + reply);
                    return 1;
                }
                Console.WriteLine("assistant> " + reply);
            }
        }

        if (!Llmbridge.StartLive(server, key, "Stream this, please", 200, model, 0.7))
        {
            Console.Error.WriteLine("error: Request Failed");
            return 1;
        }
        Console.Write("live> ");
        string shown = "";
        for (;;)
        {
            int status = Llmbridge.LiveStatus();
            string text = Llmbridge.Poll();
            Console.Write(text.StartsWith(shown, StringComparison.Ordinal) ? text.Substring(shown.Length) : "\n" + text);
            shown = text;
            if (status != Llmbridge.Running)
            {
                Console.WriteLine();
                if (!Llmbridge.IsError(text)) return 0;
                Console.Error.WriteLine("error: " + text);
                return 1;
            }
            System.Threading.Thread.Sleep(20);
        }
    }
}
