// A two-turn conversation through llmbridge from C#, with P/Invoke.
//
//     mcs Chat.cs && mono Chat.exe [--server HOST:PORT] [--key KEY] [--model NAME]      (Mono)
//     csc Chat.cs && Chat.exe ...                                                       (.NET on Windows)
//
// The library is loaded as "llmbridge": llmbridge.dll beside the program on Windows,
// libllmbridge.so on the library path (LD_LIBRARY_PATH) elsewhere. The library keeps the
// conversation between calls, so the second question can refer to the first.
using System;
using System.Runtime.InteropServices;

static class Llmbridge
{
    const string Library = "llmbridge";

    // Results are declared IntPtr, not string: for a string result the marshaller frees the
    // returned buffer, which belongs to the library, and the host crashes. Text() copies it instead.
    // StdCall is what 32-bit Windows needs; 64-bit Windows and Linux ignore it.
    [DllImport(Library, EntryPoint = "chat", CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi)]
    static extern IntPtr ChatExport(string server, string key, string prompt, string maxTokens,
                                    string model, string temperature, string showWindow);

    [DllImport(Library, EntryPoint = "getmodels", CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi)]
    static extern IntPtr GetModelsExport(string server, string key);

    [DllImport(Library, EntryPoint = "checkdllversion", CallingConvention = CallingConvention.StdCall)]
    static extern IntPtr CheckDllVersionExport();

    // Copies a result in the ANSI code page (UTF-8 under Mono on Linux) into a managed string.
    static string Text(IntPtr result) => Marshal.PtrToStringAnsi(result) ?? "";

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

        Console.WriteLine("llmbridge " + Llmbridge.Version());
        string[] models = Llmbridge.Models(server, key);
        Console.WriteLine("models: " + (models.Length > 0 ? string.Join(", ", models) : "(none)"));

        foreach (string question in new[] { "What is the capital of France?", "And what did I ask you first?" })
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
        return 0;
    }
}
